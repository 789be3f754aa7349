// Writes a complete sample firmware package, "firmware" for the HDMI and SDI
// units and "firmware2k" for the 2K units, into the directory given as the
// only argument. Every image is made here from fixed seeds, so the package
// is the same on every build:
//   firmware.ini, storage.ini      the package's two configuration files
//   app-tx.hex, app-rx.hex          radio application images (Intel HEX)
//   app-tx-recovery.hex, app-rx-recovery.hex
//   mac.bin                         radio MAC image: TX, RX and daemon regions
//   firmware.hex                    XMEGA image, "FW" and its version at 0x1DE00
//   VERSION, XMEGA_VERSION          version texts
#include "package_images.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

bool writeFile(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out.flush());
}

bool writePackage(const std::string &root, const samplepackage::Description &package)
{
    const std::string directory = root + "/" + package.directory;
    std::error_code failed;
    std::filesystem::create_directories(directory, failed);
    bool ok = true;
    for (const samplepackage::File &file : samplepackage::files(package))
        ok = writeFile(directory + "/" + file.name, file.content) && ok;
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_DIRECTORY\n";
        return 2;
    }
    bool ok = true;
    for (const samplepackage::Description &package : samplepackage::samplePackages())
        ok = writePackage(argv[1], package) && ok;
    if (!ok) {
        std::cerr << "cannot write the sample package under " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
