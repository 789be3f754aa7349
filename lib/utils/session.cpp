// Opening, closing and re-opening the USB session with a unit.
#include <libusb.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>
#include <vector>

#include "internal/clock.h"
#include "internal/commands.h"
#include "internal/error.h"
#include "internal/port_path.h"
#include "vx_zyra.h"

namespace {

// The unit leaves the bus when it restarts; give it time before looking.
constexpr int64_t RESET_SETTLE_MS = 2000;
constexpr int REOPEN_ATTEMPTS = 90;
constexpr int64_t REOPEN_INTERVAL_MS = 2000;
// Its application answers only a while after it is back on the bus.
constexpr int64_t IDENTITY_SETTLE_MS = 5000;

// The device handles this library opened and has not closed yet. A record
// is only the caller's memory, perhaps never initialised: its devh counts as
// open only when it is one of these.
std::mutex open_handles_lock;
std::vector<libusb_device_handle *> open_handles;

// Opens the unit at port_path, or the first one on the bus without one.
libusb_device_handle *open_unit(const char *port_path = nullptr)
{
    libusb_device_handle *devh =
        port_path != nullptr ? zyra::open_at_port(port_path)
                             : libusb_open_device_with_vid_pid(nullptr, zyra::USB_VENDOR_ID, zyra::USB_PRODUCT_ID);
    if (devh != nullptr) {
        std::lock_guard<std::mutex> lock(open_handles_lock);
        open_handles.push_back(devh);
    }
    return devh;
}

void close_unit(libusb_device_handle *devh)
{
    {
        std::lock_guard<std::mutex> lock(open_handles_lock);
        open_handles.erase(std::remove(open_handles.begin(), open_handles.end(), devh), open_handles.end());
    }
    libusb_close(devh);
}

bool still_open(const vx_zyra_t *h)
{
    std::lock_guard<std::mutex> lock(open_handles_lock);
    return h->devh != nullptr && std::find(open_handles.begin(), open_handles.end(), h->devh) != open_handles.end();
}

void clear_record(vx_zyra_t *h)
{
    std::memset(h, 0, sizeof *h);
}

int invalid_connection(vx_zyra_t *h)
{
    return zyra::fail(h, VX_ZYRA_SESSION_INVALID, "Invalid ZYRA device connection");
}

// A session that could not be (re)opened ends libusb's use, as a disconnect
// would.
int end_session(vx_zyra_t *h, uint8_t code, const char *message)
{
    if (h->devh != nullptr)
        close_unit(h->devh);
    h->devh = nullptr;
    libusb_exit(nullptr);
    return zyra::fail(h, code, message);
}

// Claims interface 0 of a freshly opened unit, or ends the session.
int claim(vx_zyra_t *h)
{
    if (libusb_claim_interface(h->devh, zyra::USB_INTERFACE) != 0)
        return end_session(h, VX_ZYRA_SESSION_CLAIM_FAILED, "Failed to attach to ZYRA device");
    return 0;
}

int connect_at(vx_zyra_t *h, const char *port_path)
{
    // A record still open would keep its handle and the claimed interface,
    // and the claim below would then fail: close it first.
    if (still_open(h))
        vx_zyra_disconnect(h);
    if (libusb_init(nullptr) != 0)
        return zyra::fail(h, VX_ZYRA_SESSION_SETUP_FAILED, "Failed to setup USB interface");
    clear_record(h);
    h->devh = open_unit(port_path);
    if (h->devh == nullptr)
        return end_session(h, VX_ZYRA_SESSION_NOT_FOUND, "Failed to connect to ZYRA device");
    return claim(h);
}

bool serial_read(const vx_zyra_t &h)
{
    return std::any_of(std::begin(h.serial), std::end(h.serial), [](char c) { return c != 0; });
}

// After a restart, the unit at the port must still be the one the run
// started on: a serial read before must read back the same. A bootloader
// reads no radio register (its radio version stayed unread) and so cannot
// tell its serial either; the record keeps the one read before, so that the
// restart back into the application still compares.
int check_same_unit(vx_zyra_t *h, const char (&serial_before)[sizeof vx_zyra_t::serial])
{
    const bool radio_read = h->version.mac.major != 0 || h->version.mac.minor != 0 || h->version.mac.debug != 0 ||
                            h->version.mac.build != 0;
    if (!radio_read || vx_zyra_board_serial(h) != 0) {
        std::memcpy(h->serial, serial_before, sizeof serial_before);
        return 0;
    }
    if (std::memcmp(h->serial, serial_before, sizeof serial_before) != 0)
        return end_session(h, VX_ZYRA_SESSION_OTHER_UNIT, "Another ZYRA device is at the unit's port");
    return 0;
}

}  // namespace

extern "C" {

int vx_zyra_connect(vx_zyra_t *h)
{
    return connect_at(h, nullptr);
}

int vx_zyra_connect_port(vx_zyra_t *h, const char *port_path)
{
    if (port_path == nullptr)
        return zyra::fail(h, VX_ZYRA_SESSION_NOT_FOUND, "Failed to connect to ZYRA device");
    return connect_at(h, port_path);
}

int vx_zyra_port_path(const vx_zyra_t *h, char *path)
{
    if (h == nullptr || path == nullptr || !still_open(h))
        return 1;
    return zyra::port_path(libusb_get_device(h->devh), path, VX_ZYRA_PORT_PATH_SIZE) ? 0 : 1;
}

int vx_zyra_disconnect(vx_zyra_t *h)
{
    if (h == nullptr || h->devh == nullptr)
        return h == nullptr ? 1 : invalid_connection(h);
    int result = 0;
    if (libusb_release_interface(h->devh, zyra::USB_INTERFACE) != 0)
        result = zyra::fail(h, VX_ZYRA_SESSION_RELEASE_FAILED, "Failed to disconnect from ZYRA device");
    close_unit(h->devh);
    libusb_exit(nullptr);
    h->devh = nullptr;
    return result;
}

int vx_zyra_reconnect(vx_zyra_t *h)
{
    if (h == nullptr || h->devh == nullptr)
        return h == nullptr ? 1 : invalid_connection(h);
    // Only the unit at this port may continue the run, never another one
    // that happens to be first on the bus.
    char port[VX_ZYRA_PORT_PATH_SIZE];
    if (!zyra::port_path(libusb_get_device(h->devh), port, sizeof port))
        return end_session(h, VX_ZYRA_SESSION_NOT_FOUND, "Failed to connect to ZYRA device");
    char serial_before[sizeof h->serial];
    std::memcpy(serial_before, h->serial, sizeof serial_before);
    const bool had_serial = serial_read(*h);
    // The unit is going away: these may fail, and nothing depends on them.
    libusb_release_interface(h->devh, zyra::USB_INTERFACE);
    libusb_reset_device(h->devh);
    close_unit(h->devh);
    zyra::clock_sleep_ms(RESET_SETTLE_MS);

    clear_record(h);
    for (int attempt = 0; attempt < REOPEN_ATTEMPTS && h->devh == nullptr; ++attempt) {
        h->devh = open_unit(port);
        if (h->devh == nullptr)
            zyra::clock_sleep_ms(REOPEN_INTERVAL_MS);
    }
    if (h->devh == nullptr)
        return end_session(h, VX_ZYRA_SESSION_NOT_FOUND, "Failed to connect to ZYRA device");
    if (claim(h) != 0)
        return 1;

    zyra::clock_sleep_ms(IDENTITY_SETTLE_MS);
    if (vx_zyra_get_info(h) != 0)
        return zyra::fail(h, VX_ZYRA_SESSION_UNREADABLE, "Unable to read from ZYRA device");
    return had_serial ? check_same_unit(h, serial_before) : 0;
}

}  // extern "C"
