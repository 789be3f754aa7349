// A stand-in for the one libusb call the transport makes, linked into the
// fuzz targets in place of a device: IN transfers are served from a queue
// of scripted reads, OUT transfers are accepted and kept. It also provides
// the library's clock hooks, so time is virtual and every wait is free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct libusb_device_handle;

namespace zyra_fuzz {

using Bytes = std::vector<uint8_t>;

// What one IN transfer yields: a block (after delayMs of virtual time) or a
// libusb error. LIBUSB_ERROR_TIMEOUT passes the transfer's whole timeout.
struct InRead {
    Bytes block;
    int64_t delayMs = 0;
    int error = 0;
};

// Forgets all reads and OUT transfers, sets virtual time to 0 and the IN
// wait limit to maxInWaitMs. With nothing left to serve, an IN transfer
// waits out its timeout, as a unit with nothing to say does.
void resetUsb(int64_t maxInWaitMs);
// Longest IN wait allowed from now on (the next call's timeout).
void setMaxInWaitMs(int64_t maxInWaitMs);
void queueIn(InRead read);
size_t pendingIn();
const std::vector<Bytes> &outTransfers();
// Stream bytes of every block served so far, in order (the two leading
// bytes and the last byte of each block are not stream data).
const Bytes &servedStream();
int64_t nowMs();

// Outcome of the latest IN transfer: its libusb result and bytes delivered.
struct InOutcome {
    int result = 0;
    int transferred = 0;
};
InOutcome lastIn();

// A handle that the stand-in accepts; it never points at a libusb object.
libusb_device_handle *fakeHandle();

}  // namespace zyra_fuzz
