#include "in_script.h"

#include <algorithm>

#include <libusb.h>

#include "usb_standin.h"

namespace zyra_fuzz {
namespace {

constexpr unsigned kTimedBlockControls = 195;
constexpr unsigned kFirstErrorControl = 251;
constexpr size_t kBlockSize = 64;
constexpr int kScriptedErrors[] = {LIBUSB_ERROR_TIMEOUT, LIBUSB_ERROR_IO, LIBUSB_ERROR_NO_DEVICE, LIBUSB_ERROR_PIPE,
                                   LIBUSB_ERROR_OVERFLOW};

}  // namespace

void queueInScript(const uint8_t *data, size_t size)
{
    size_t at = 0;
    while (at < size) {
        const unsigned control = data[at++];
        InRead read;
        if (control >= kFirstErrorControl) {
            read.error = kScriptedErrors[control - kFirstErrorControl];
            queueIn(std::move(read));
            continue;
        }
        size_t length = kBlockSize;
        if (control < kTimedBlockControls) {
            length = control % (kBlockSize + 1);
            read.delayMs = 1000 * static_cast<int64_t>(control / (kBlockSize + 1));
        }
        length = std::min(length, size - at);
        read.block.assign(data + at, data + at + length);
        at += length;
        queueIn(std::move(read));
    }
}

}  // namespace zyra_fuzz
