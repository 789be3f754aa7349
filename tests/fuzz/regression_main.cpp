// Runs a fuzz target once over each committed corpus file, so that every
// input that once found a fault stays a test in the ordinary build.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputsOf(const fs::path &argument)
{
    if (!fs::is_directory(argument))
        return {argument};
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(argument))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char **argv)
{
    size_t ran = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path &file : inputsOf(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            std::printf("running %s (%zu bytes)\n", file.c_str(), bytes.size());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++ran;
        }
    }
    if (ran == 0) {
        std::fprintf(stderr, "expected corpus files, found none\n");
        return 1;
    }
    std::printf("%zu inputs passed\n", ran);
    return 0;
}
