/*
 * libvx_zyra - USB command protocol of ZYRA wireless video-link units.
 *
 * One handle record (vx_zyra_t) per unit, allocated by the caller and passed
 * first to every operation. The library has no threads and no locks: a handle
 * is used by one thread at a time, and every call blocks its caller.
 *
 * Two result conventions:
 *  - session, control and update operations return 0 on success and 1 on
 *    failure, leaving a message (at most 63 characters) in error_msg and a
 *    per-operation step code in error;
 *  - transport, identity and register operations return the transport's
 *    code unchanged: 0, a negative libusb error (LIBUSB_ERROR_*), 3 when a
 *    receive deadline passed without the awaited record, 2 when a register
 *    read answered with the wrong length. They set no message.
 * Storage operations set a message and store the low byte of the failing
 * call's result in error (see each function).
 */
#ifndef VX_ZYRA_H
#define VX_ZYRA_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define VX_ZYRA_EXPORT __declspec(dllexport)
#else
#define VX_ZYRA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

struct libusb_device_handle;

/* Which end of the link a unit is (vx_zyra_t.side). */
enum vx_zyra_side {
    VX_ZYRA_UNKNOWN = 0,
    VX_ZYRA_TX = 1,
    VX_ZYRA_RX = 2
};

/*
 * Handle record. The library clears it on connect and reconnect and fills
 * it; callers read side, version and error_msg directly.
 */
typedef struct vx_zyra {
    struct libusb_device_handle *devh; /* open device, NULL when not connected */
    uint8_t buf[64];                   /* command and response buffer */
    uint8_t side;                      /* enum vx_zyra_side */
    char signature[64];                /* NUL-terminated signature text */
    char serial[64];                   /* board serial, not NUL-terminated */
    struct {
        struct {
            uint8_t major;
            uint8_t minor;
            uint8_t debug;
        } app;                         /* application firmware version */
        struct {
            uint8_t major;
            uint8_t minor;
            uint8_t debug;
            uint8_t build;
        } mac;                         /* radio (MAC) firmware version */
    } version;
    char error_msg[64];                /* text of the last failure */
    uint8_t error;                     /* code of the last failure */
} vx_zyra_t;

/* Progress of a firmware update: message, percent, caller's pointer. */
typedef void *(*firmware_callback_f)(char *message, int percent, void *user_data);
/* Part of vx_zyra_storage_dump's signature; never called. */
typedef void *(*storage_callback_f)(uint16_t id, uint8_t *data, size_t length);

/* API version of this library: 1.0.1. */
extern VX_ZYRA_EXPORT const int VX_ZYRA_API_MAJOR_VERSION;
extern VX_ZYRA_EXPORT const int VX_ZYRA_API_MINOR_VERSION;
extern VX_ZYRA_EXPORT const int VX_ZYRA_API_BUILD_VERSION;

/* ---- Transport ----------------------------------------------------------
 * A command frame is AA BB code length payload checksum(XOR), built in place
 * in a buffer whose bytes 2, 3 and the payload the caller has filled. */

/* Completes the frame in cmd and sends it. 0 or a negative libusb error. */
VX_ZYRA_EXPORT int vx_zyra_send_cmd(struct libusb_device_handle *devh, uint8_t *cmd, int timeout);
/* Sends len bytes unframed in one bulk transfer. 0 or a negative libusb error. */
VX_ZYRA_EXPORT int vx_zyra_send_raw(struct libusb_device_handle *devh, uint8_t *data, size_t len, int timeout);
/* Waits for the response record whose code is buf[0]; copies at most *len
 * payload bytes to buf and sets *len to the full payload length. 0, a
 * negative libusb error, or 3 when the deadline passed without the record. */
VX_ZYRA_EXPORT int vx_zyra_recv_cmd(struct libusb_device_handle *devh, uint8_t *buf, size_t *len, int timeout);
/* Drains pending input into buf (64 bytes). 0 or a negative libusb error. */
VX_ZYRA_EXPORT int vx_zyra_clear_cmd(struct libusb_device_handle *devh, uint8_t *buf);
/* Value of the two hexadecimal characters at pos. */
VX_ZYRA_EXPORT uint8_t vx_zyra_read_hex_byte(const char *pos);

/* ---- Session and identity ----------------------------------------------- */

/* Opens and claims the unit. 0, or 1 with codes 1 (USB setup), 2 (no unit), 3 (claim). */
VX_ZYRA_EXPORT int vx_zyra_connect(vx_zyra_t *h);
/* Releases and closes. 0, or 1 with codes 1 (not connected), 4 (release failed). */
VX_ZYRA_EXPORT int vx_zyra_disconnect(vx_zyra_t *h);
/* Resets, waits up to about three minutes for the unit, reopens and reads
 * the identity. 0, or 1 with codes 1, 2 or 3. */
VX_ZYRA_EXPORT int vx_zyra_reconnect(vx_zyra_t *h);
/* Reads side, versions and signature. 0, or 1 with code 5. */
VX_ZYRA_EXPORT int vx_zyra_get_info(vx_zyra_t *h);
/* GET_SIDE with retries. 0 when side is known, else 1; no message. */
VX_ZYRA_EXPORT int vx_zyra_get_side(vx_zyra_t *h);
/* Identity readers: transport result, no message. */
VX_ZYRA_EXPORT int vx_zyra_version_app(vx_zyra_t *h);
VX_ZYRA_EXPORT int vx_zyra_version_mac(vx_zyra_t *h);
VX_ZYRA_EXPORT int vx_zyra_board_serial(vx_zyra_t *h);
VX_ZYRA_EXPORT int vx_zyra_signature(vx_zyra_t *h);

/* ---- Storage and registers ----------------------------------------------- */

/* Writes one stored value (at most 57 bytes). 0, non-zero on failure. */
VX_ZYRA_EXPORT int vx_zyra_storage_set(vx_zyra_t *h, uint16_t id, uint8_t *data, size_t datalen);
/* Reads one stored value into data (which must hold 64 bytes); *datalen
 * becomes its length. 0 or 1; on failure data and *datalen are untouched. */
VX_ZYRA_EXPORT int vx_zyra_storage_get(vx_zyra_t *h, uint16_t id, uint8_t *data, size_t *datalen);
/* Resets the unit's store to its defaults. 0 or 1. */
VX_ZYRA_EXPORT int vx_zyra_storage_restore(vx_zyra_t *h);
/* Asks the unit to print its store on its own output; callback is never called. 0 or 1. */
VX_ZYRA_EXPORT int vx_zyra_storage_dump(vx_zyra_t *h, storage_callback_f *callback);
/* Radio register write (at most 55 bytes): transport result, or
 * LIBUSB_ERROR_INVALID_PARAM (-2) for a longer one. */
VX_ZYRA_EXPORT int vx_zyra_write_mac_reg(vx_zyra_t *h, uint16_t addr, uint8_t *data, size_t datalen, int timeout);
/* Radio register read: transport result, 2 when the answer's length differs. */
VX_ZYRA_EXPORT int vx_zyra_read_mac_reg(vx_zyra_t *h, uint16_t addr, uint8_t *data, size_t datalen, int timeout);

#ifdef __cplusplus
}
#endif

#endif /* VX_ZYRA_H */
