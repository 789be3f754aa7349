// Whole files read and written by tests that hand them to outside tools.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace zyra_test {

// The file's bytes; empty when it cannot be read.
inline std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// content in a file of the test's temporary folder; returns its path.
inline std::string writeTemporary(const std::string &name, const std::string &content)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

}  // namespace zyra_test
