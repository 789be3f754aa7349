#include "firmware/firmware_file.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "firmware/progress.h"
#include "internal/error.h"

namespace zyra {
namespace {

struct FileCloser {
    void operator()(FILE *file) const { std::fclose(file); }
};

struct MemoryFreer {
    void operator()(uint8_t *data) const { std::free(data); }
};

int file_failure(vx_zyra_t *h, const Progress &progress, const char *report, const char *message)
{
    progress.report(report, 0);
    // The same code for both updates.
    static_assert(static_cast<int>(VX_ZYRA_APP_FILE_FAILED) == static_cast<int>(VX_ZYRA_MAC_FILE_FAILED));
    return fail(h, VX_ZYRA_APP_FILE_FAILED, message);
}

}  // namespace

int update_from_file(vx_zyra_t *h, const char *file_name, firmware_callback_f cb, void *cb_data,
                     UpdateFromMemory update)
{
    Progress progress(cb, cb_data);
    std::unique_ptr<FILE, FileCloser> file(file_name == nullptr ? nullptr : std::fopen(file_name, "rb"));
    if (!file)
        return file_failure(h, progress, "ERROR - could not open file", "Failed to open firmware file");
    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0)
        size = std::ftell(file.get());
    // The updates take a 32-bit length; a larger file cannot be a unit's image.
    bool representable = size >= 0 && static_cast<unsigned long>(size) <= UINT32_MAX;
    std::unique_ptr<uint8_t, MemoryFreer> data(
        representable ? static_cast<uint8_t *>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1)) : nullptr);
    if (!data)
        return file_failure(h, progress, "ERROR - could not allocate memory", "Failed to allocate memory");
    std::rewind(file.get());
    if (size == 0 || std::fread(data.get(), 1, static_cast<size_t>(size), file.get()) != static_cast<size_t>(size))
        return file_failure(h, progress, "ERROR - could not read file", "Failed to read file");
    file.reset();
    return update(h, data.get(), static_cast<uint32_t>(size), cb, cb_data);
}

}  // namespace zyra
