/*
 * libvx_zyra - USB command protocol of ZYRA wireless video-link units.
 *
 * One handle record (vx_zyra_t) per unit, allocated by the caller and passed
 * first to every operation.
 *
 * Threads. The library starts no threads and takes no locks; every call
 * blocks its caller. A handle is used by one thread at a time. Two things
 * are process-wide, shared by every handle: vx_zyra_app_buf, the template of
 * the application update's data frames (so two application updates must not
 * run at the same time, even on two units), and libusb's default context,
 * which each vx_zyra_connect initialises and each disconnect, or failed
 * (re)connect, exits again (libusb counts them).
 *
 * Results. 0 (VX_ZYRA_OK) is success for every function but
 * vx_zyra_send_app_line. What the others return on failure, and what they
 * leave in the handle (error_msg: a message of at most 63 characters;
 * error: a step code), depends on the family:
 *
 *   family                     on failure returns             sets in the handle
 *   -------------------------  -----------------------------  ----------------------------
 *   session: connect,          VX_ZYRA_FAILED                 error_msg, error =
 *     connect_port, disconnect,                                 VX_ZYRA_SESSION_*
 *     reconnect, get_info
 *   port_path                  VX_ZYRA_FAILED                 nothing
 *   list_units,                negative libusb error; else    no handle
 *     list_video_modules         the number of devices
 *   usb_address                VX_ZYRA_FAILED                 no handle
 *   get_side                   VX_ZYRA_FAILED                 nothing
 *   control: restarts,         VX_ZYRA_FAILED                 error_msg, error =
 *     key presses, pairing                                      VX_ZYRA_CONTROL_* (a restart:
 *                                                               the reconnect's SESSION_*)
 *   start_registration         VX_ZYRA_FAILED if not sent,    error_msg and error only
 *                              else the transport's result    when not sent
 *   rx_unpair                  never fails                    nothing
 *   updates: update_app*,      VX_ZYRA_FAILED                 error_msg, error =
 *     update_mac*                                               VX_ZYRA_APP_* / VX_ZYRA_MAC_*
 *   storage: get, restore,     VX_ZYRA_FAILED                 error_msg, error = low byte
 *     dump                                                      of the failing call's result
 *   storage_set                VX_ZYRA_FAILED, or the drain's  as storage; test for non-zero
 *                              or receive's transport result
 *   transport: send_cmd,       negative libusb error, or      no handle
 *     send_raw, recv_cmd,        VX_ZYRA_DEADLINE (recv_cmd)
 *     clear_cmd
 *   identity: version_app,     the transport's result         nothing
 *     version_mac, serial,
 *     signature
 *   registers: write_mac_reg,  the transport's result, or     nothing
 *     read_mac_reg               VX_ZYRA_WRONG_LENGTH (read),
 *                                LIBUSB_ERROR_INVALID_PARAM
 *   files: xmega_version       VX_ZYRA_FAILED                 no handle
 *   files: read_/write_eeprom  -1                             no handle
 *     _settings
 *   send_app_line              -1 malformed record, other     nothing
 *                              negative: send error; >= 0 is
 *                              the record's type (see there)
 *
 * A transport result is VX_ZYRA_OK, a negative libusb error (LIBUSB_ERROR_*;
 * VX_ZYRA_NO_ANSWER is LIBUSB_ERROR_TIMEOUT: nothing arrived at all) or
 * VX_ZYRA_DEADLINE (records arrived, but not the awaited one in time).
 *
 * Step codes are not unique, across functions nor within one enum: 1 is
 * VX_ZYRA_SESSION_SETUP_FAILED after connect and VX_ZYRA_SESSION_INVALID
 * after disconnect; 6 is VX_ZYRA_APP_BOOTLOADER_LOST or _COMMAND_SEND.
 * Read error together with the function that failed, never on its own, and
 * only after a failure: a success leaves error and error_msg as they were,
 * except that connect and reconnect clear the whole record first.
 *
 * Pointers. h points to a handle record and must not be NULL, except where
 * a function says otherwise; it is read and written. Every other pointer's
 * note is with its function: whether it may be NULL, how large it must be,
 * whether it is read (in), written (out) or both.
 *
 * Every timeout parameter is in whole seconds. A timeout below one second
 * (0 or negative) still gives each USB transfer one second, since libusb
 * would wait for ever on 0; vx_zyra_recv_cmd then gives up after its first
 * read that does not complete the record.
 */
#ifndef VX_ZYRA_H
#define VX_ZYRA_H

#include <stddef.h>
#include <stdint.h>

#include "vx_zyra_version.h"

#if defined(_WIN32)
#define VX_ZYRA_EXPORT __declspec(dllexport)
#else
#define VX_ZYRA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

struct libusb_device_handle;

/* Results of the library's functions; which ones a function returns is
 * stated with it. Transport failures add libusb's own negative codes. */
enum vx_zyra_result {
    VX_ZYRA_OK = 0,
    VX_ZYRA_FAILED = 1,       /* failure; message and step code as the function states */
    VX_ZYRA_WRONG_LENGTH = 2, /* a register read answered with another length */
    VX_ZYRA_DEADLINE = 3,     /* records arrived, but not the awaited one in time */
    /* LIBUSB_ERROR_TIMEOUT: nothing at all arrived within the timeout, as
     * from a unit that has gone silent or vanished. */
    VX_ZYRA_NO_ANSWER = -7
};

/* Step codes (vx_zyra_t.error) of the session operations. */
enum vx_zyra_session_error {
    VX_ZYRA_SESSION_SETUP_FAILED = 1, /* connect: libusb could not be set up */
    VX_ZYRA_SESSION_INVALID = 1,      /* disconnect, reconnect: not connected */
    VX_ZYRA_SESSION_UNREADABLE = 1,   /* reconnect: back, but its identity unreadable */
    VX_ZYRA_SESSION_NOT_FOUND = 2,    /* connect, reconnect: no unit on the bus */
    VX_ZYRA_SESSION_CLAIM_FAILED = 3, /* connect, reconnect: interface not claimed */
    VX_ZYRA_SESSION_RELEASE_FAILED = 4,
    VX_ZYRA_SESSION_NO_SIDE = 5,   /* get_info: the unit's side stayed unknown */
    VX_ZYRA_SESSION_OTHER_UNIT = 6 /* reconnect: another serial at the port; closed */
};

/* Room for a port path, BUS-PORT[.PORT...] as Linux writes it (such as
 * "1-2.3"), with its NUL: a bus number and seven tiers of ports. */
#define VX_ZYRA_PORT_PATH_SIZE 32

/* Step codes of the control commands (restarts, key presses, registration). */
enum vx_zyra_control_error {
    VX_ZYRA_CONTROL_SEND_FAILED = 10,
    VX_ZYRA_CONTROL_RECEIVE_FAILED = 11 /* key press: no answer */
};

/* Step codes of the application update (vx_zyra_update_app_array and
 * vx_zyra_update_app). Some codes serve several steps. */
enum vx_zyra_app_error {
    VX_ZYRA_APP_FILE_FAILED = 1, /* update_app: file not opened, allocated or read */
    VX_ZYRA_APP_NO_SIDE = 1,     /* the side could not be read in the bootloader or agent */
    VX_ZYRA_APP_IS_BOOTLDR_SEND = 2,
    VX_ZYRA_APP_IS_BOOTLDR_RECEIVE = 3,
    VX_ZYRA_APP_EXEC_BOOTLOADER_SEND = 4,
    VX_ZYRA_APP_EXEC_BOOTLOADER_RECEIVE = 5,
    VX_ZYRA_APP_BOOTLOADER_LOST = 6, /* no reconnect to the bootloader: the unit is gone */
    VX_ZYRA_APP_COMMAND_SEND = 6,    /* BL_GET_CONFIG or START_UPGRADE not sent: likely gone too */
    VX_ZYRA_APP_COMMAND_RECEIVE = 7, /* BL_GET_CONFIG or START_UPGRADE unanswered */
    VX_ZYRA_APP_ERASE_DONE_MISSING = 8,
    VX_ZYRA_APP_BLOCK_ACK_FAILED = 9,
    VX_ZYRA_APP_BLOCK_SEND_FAILED = 10, /* also a record the library refuses */
    VX_ZYRA_APP_COMPLETED_SEND = 11,
    VX_ZYRA_APP_COMPLETED_RECEIVE = 12,
    VX_ZYRA_APP_NO_BOOT_AGENT = 13, /* the bootloader needs an agent this build lacks; nothing erased */
    VX_ZYRA_APP_RESTART_FAILED = 17 /* the restart's reconnect failed: the unit is gone */
};

/* Step codes of the radio (MAC) update (vx_zyra_update_mac_array and
 * vx_zyra_update_mac). */
enum vx_zyra_mac_error {
    VX_ZYRA_MAC_FILE_FAILED = 1, /* update_mac: file not opened, allocated or read */
    VX_ZYRA_MAC_BAD_IMAGE = 1,   /* regions outside the image; nothing was sent */
    VX_ZYRA_MAC_START_SEND = 2,
    VX_ZYRA_MAC_RECEIVE_FAILED = 3,    /* BOOT_LOADER_STARTED, BOOT_LOADER_READY or a block request */
    VX_ZYRA_MAC_FIRST_REQUEST = 4,     /* the daemon header's request never came */
    VX_ZYRA_MAC_UNKNOWN_SIDE = 4,      /* the side is neither TX nor RX */
    VX_ZYRA_MAC_BLOCK_SEND_FAILED = 6, /* the unit took no more data: it is gone */
    VX_ZYRA_MAC_RESTART_FAILED = 17    /* the restart's reconnect failed: the unit is gone */
};

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
        } app; /* application firmware version */
        struct {
            uint8_t major;
            uint8_t minor;
            uint8_t debug;
            uint8_t build;
        } mac; /* radio (MAC) firmware version */
    } version;
    char error_msg[64]; /* text of the last failure */
    uint8_t error;      /* code of the last failure */
} vx_zyra_t;

/* Progress of a firmware update: message, percent, caller's pointer. */
typedef void *(*firmware_callback_f)(char *message, int percent, void *user_data);
/* Part of vx_zyra_storage_dump's signature; never called. */
typedef void *(*storage_callback_f)(uint16_t id, uint8_t *data, size_t length);

/* The library's version, VX_ZYRA_VERSION_MAJOR, _MINOR and _PATCH as built. */
extern VX_ZYRA_EXPORT const int VX_ZYRA_API_MAJOR_VERSION;
extern VX_ZYRA_EXPORT const int VX_ZYRA_API_MINOR_VERSION;
extern VX_ZYRA_EXPORT const int VX_ZYRA_API_BUILD_VERSION;

/* ---- Transport ----------------------------------------------------------
 * A command frame is AA BB code length payload checksum(XOR), built in place
 * in a buffer whose bytes 2, 3 and the payload the caller has filled. */

/* Completes the frame in cmd and sends it. VX_ZYRA_OK or a negative libusb error.
 * devh: open device, not NULL. cmd (in/out, not NULL): at least
 * cmd[3] + 5 bytes; the prefix and checksum are written into it. */
VX_ZYRA_EXPORT int vx_zyra_send_cmd(struct libusb_device_handle *devh, uint8_t *cmd, int timeout);
/* Sends len bytes unframed in one bulk transfer. VX_ZYRA_OK or a negative libusb error.
 * data (in): len bytes; NULL only with len 0. */
VX_ZYRA_EXPORT int vx_zyra_send_raw(struct libusb_device_handle *devh, uint8_t *data, size_t len, int timeout);
/* Waits for the response record whose code is buf[0]; copies at most *len
 * payload bytes to buf and sets *len to the full payload length. VX_ZYRA_OK,
 * a negative libusb error (VX_ZYRA_NO_ANSWER when nothing arrived), or
 * VX_ZYRA_DEADLINE when other data kept arriving past the timeout.
 * devh, buf (in/out: the code in, the payload out) and len (in/out) not
 * NULL; buf holds at least *len bytes, and at least 1. */
VX_ZYRA_EXPORT int vx_zyra_recv_cmd(struct libusb_device_handle *devh, uint8_t *buf, size_t *len, int timeout);
/* Drains pending input into buf (out, 64 bytes, not NULL), reading with a
 * fixed one-second timeout. VX_ZYRA_OK or a negative libusb error. */
VX_ZYRA_EXPORT int vx_zyra_clear_cmd(struct libusb_device_handle *devh, uint8_t *buf);
/* Value of the two hexadecimal characters at pos (in, at least 2 bytes;
 * NULL gives 0). */
VX_ZYRA_EXPORT uint8_t vx_zyra_read_hex_byte(const char *pos);

/* ---- Session and identity ----------------------------------------------- */

/* Opens and claims the first unit on the bus; a record still open from an
 * earlier connect is closed first. VX_ZYRA_OK, or
 * VX_ZYRA_FAILED with VX_ZYRA_SESSION_SETUP_FAILED, _NOT_FOUND or
 * _CLAIM_FAILED. */
VX_ZYRA_EXPORT int vx_zyra_connect(vx_zyra_t *h);
/* As vx_zyra_connect, but only the unit at port_path (in, NUL-terminated;
 * NULL gives _NOT_FOUND): with several units attached, the one to work on. */
VX_ZYRA_EXPORT int vx_zyra_connect_port(vx_zyra_t *h, const char *port_path);
/* Writes the port path of h's open unit into path (out,
 * VX_ZYRA_PORT_PATH_SIZE bytes). VX_ZYRA_OK, or VX_ZYRA_FAILED when h is
 * not connected (h and path may be NULL then). */
VX_ZYRA_EXPORT int vx_zyra_port_path(const vx_zyra_t *h, char *path);
/* The attached units' port paths, in the order of their port paths (1-2
 * before 1-10), whatever order libusb found them in: the first capacity of
 * them written to paths (out; NULL only with capacity 0). Returns how many
 * units are attached, which may exceed capacity, or a negative libusb error.
 * Sets libusb up and ends it again; opens no unit. */
VX_ZYRA_EXPORT int vx_zyra_list_units(char (*paths)[VX_ZYRA_PORT_PATH_SIZE], int capacity);
/* As vx_zyra_list_units, for the video modules waiting in their DFU
 * bootloaders (USB 03eb:2fde). A unit's radio and its video module sit
 * behind the unit's own hub, at HUB.1 and HUB.2. */
VX_ZYRA_EXPORT int vx_zyra_list_video_modules(char (*paths)[VX_ZYRA_PORT_PATH_SIZE], int capacity);
/* The bus number and device address of the device at port_path now (in,
 * NUL-terminated), as lsusb and dfu-programmer's atxmega128a4u:BUS,ADDR
 * give them; a device back from a restart has a new address. VX_ZYRA_OK,
 * or VX_ZYRA_FAILED when nothing is there, libusb could not be set up or a
 * pointer is NULL (bus and address (out) are written on success only). Sets
 * libusb up and ends it again; opens nothing. */
VX_ZYRA_EXPORT int vx_zyra_usb_address(const char *port_path, int *bus, int *address);
/* Releases and closes. VX_ZYRA_OK, or VX_ZYRA_FAILED with
 * VX_ZYRA_SESSION_INVALID or _RELEASE_FAILED (closed all the same).
 * h may be NULL (VX_ZYRA_FAILED, nothing set). */
VX_ZYRA_EXPORT int vx_zyra_disconnect(vx_zyra_t *h);
/* Resets, waits up to about three minutes for the unit to come back at its
 * port path (never another unit's), reopens and reads the identity; a board
 * serial read before the reset is read again and must match (a bootloader,
 * which cannot tell it, keeps the one read before). VX_ZYRA_OK,
 * or VX_ZYRA_FAILED with VX_ZYRA_SESSION_INVALID, _NOT_FOUND or
 * _CLAIM_FAILED (the unit is gone, the handle closed), _OTHER_UNIT (another
 * serial at the port, the handle closed) or _UNREADABLE (open, but its
 * identity could not be read).
 * h may be NULL (VX_ZYRA_FAILED, nothing set). */
VX_ZYRA_EXPORT int vx_zyra_reconnect(vx_zyra_t *h);
/* Reads side, versions and signature. VX_ZYRA_OK, or VX_ZYRA_FAILED with
 * VX_ZYRA_SESSION_NO_SIDE. */
VX_ZYRA_EXPORT int vx_zyra_get_info(vx_zyra_t *h);
/* GET_SIDE with retries. VX_ZYRA_OK when side is known, else VX_ZYRA_FAILED
 * without a message. */
VX_ZYRA_EXPORT int vx_zyra_get_side(vx_zyra_t *h);
/* Identity readers: transport result, no message. */
VX_ZYRA_EXPORT int vx_zyra_version_app(vx_zyra_t *h);
VX_ZYRA_EXPORT int vx_zyra_version_mac(vx_zyra_t *h);
VX_ZYRA_EXPORT int vx_zyra_board_serial(vx_zyra_t *h);
VX_ZYRA_EXPORT int vx_zyra_signature(vx_zyra_t *h);

/* ---- Storage and registers ----------------------------------------------- */

/* Writes one stored value: data (in) holds datalen bytes, at most 57; NULL
 * only with datalen 0. VX_ZYRA_OK; on failure the
 * drain's or receive's own result, or VX_ZYRA_FAILED for a failed send or a
 * longer value: test for non-zero. */
VX_ZYRA_EXPORT int vx_zyra_storage_set(vx_zyra_t *h, uint16_t id, uint8_t *data, size_t datalen);
/* Reads one stored value into data (out, not NULL, 64 bytes); *datalen
 * (out, not NULL) becomes its length. VX_ZYRA_OK or VX_ZYRA_FAILED; on failure data and
 * *datalen are untouched. */
VX_ZYRA_EXPORT int vx_zyra_storage_get(vx_zyra_t *h, uint16_t id, uint8_t *data, size_t *datalen);
/* Resets the unit's store to its defaults. VX_ZYRA_OK or VX_ZYRA_FAILED. */
VX_ZYRA_EXPORT int vx_zyra_storage_restore(vx_zyra_t *h);
/* Asks the unit to print its store on its own output; callback is never
 * read or called and may be NULL. VX_ZYRA_OK or VX_ZYRA_FAILED. */
VX_ZYRA_EXPORT int vx_zyra_storage_dump(vx_zyra_t *h, storage_callback_f *callback);
/* Radio register write: data (in) holds datalen bytes, at most 55; NULL
 * only with datalen 0. Transport result, or LIBUSB_ERROR_INVALID_PARAM (-2)
 * for a longer one. */
VX_ZYRA_EXPORT int vx_zyra_write_mac_reg(vx_zyra_t *h, uint16_t addr, uint8_t *data, size_t datalen, int timeout);
/* Radio register read into data (out, datalen bytes, at most 64; NULL only
 * with datalen 0): transport result, VX_ZYRA_WRONG_LENGTH when the answer's
 * length differs (data untouched), LIBUSB_ERROR_INVALID_PARAM for a longer
 * one. */
VX_ZYRA_EXPORT int vx_zyra_read_mac_reg(vx_zyra_t *h, uint16_t addr, uint8_t *data, size_t datalen, int timeout);

/* ---- Control commands and XMEGA image files ------------------------------ */

/* Keys of the unit's infrared remote control (key byte of IR_COMMAND). */
enum vx_zyra_ir_cmd {
    IR_CMD_DELETE = 2,
    IR_CMD_LEFT = 4,
    IR_CMD_RIGHT = 7,
    IR_CMD_SELECT = 8,
    IR_CMD_SETUP = 10,
    IR_CMD_ESC = 11,
    IR_CMD_OPEN = 13,
    IR_CMD_UP = 16,
    IR_CMD_ADD = 30,
    IR_CMD_DOWN = 31,
    IR_CMD_FB = 113,
    IR_CMD_PLAY = 114,
    IR_CMD_PAUSE = 115,
    IR_CMD_FW = 116,
    IR_CMD_STATUS = 127
};

/* Video module settings kept in its 2048-byte EEPROM image. */
struct eeprom_settings {
    uint8_t fan_ctrl_mode; /* 0 always on, 1 record flag, 2 record flag and temperature; low 4 bits stored */
};

/* Restarts into the application and reconnects. VX_ZYRA_OK, or
 * VX_ZYRA_FAILED with the reconnect's code; a failed send leaves
 * VX_ZYRA_CONTROL_SEND_FAILED in the handle, but the reconnect decides. */
VX_ZYRA_EXPORT int vx_zyra_system_restart(vx_zyra_t *h);
/* Restarts into the bootloader and reconnects. VX_ZYRA_OK, or VX_ZYRA_FAILED
 * with VX_ZYRA_CONTROL_SEND_FAILED or the reconnect's code. */
VX_ZYRA_EXPORT int vx_zyra_bootloader_restart(vx_zyra_t *h);
/* Presses one remote-control key (IR_CMD_*). VX_ZYRA_OK, or VX_ZYRA_FAILED
 * with VX_ZYRA_CONTROL_SEND_FAILED or _RECEIVE_FAILED. */
VX_ZYRA_EXPORT int vx_zyra_send_ir_command(vx_zyra_t *h, uint8_t cmd);
/* Receiver pairing menu: IR_CMD_ADD; result of the key press. */
VX_ZYRA_EXPORT int vx_zyra_rx_start_pairing(vx_zyra_t *h);
/* Receiver pairing menu: IR_CMD_SELECT; result of the key press. */
VX_ZYRA_EXPORT int vx_zyra_rx_confirm_pairing(vx_zyra_t *h);
/* Receiver: ESC, DELETE, SELECT, SELECT, 500 ms apart. Always VX_ZYRA_OK. */
VX_ZYRA_EXPORT int vx_zyra_rx_unpair(vx_zyra_t *h);
/* START_REGISTRATION. VX_ZYRA_FAILED with VX_ZYRA_CONTROL_SEND_FAILED when
 * the send fails, else the receive's transport result (VX_ZYRA_OK,
 * VX_ZYRA_DEADLINE or a negative libusb error) without a message. */
VX_ZYRA_EXPORT int vx_zyra_start_registration(vx_zyra_t *h);
/* Copies the version text after "FW" at 0x1DE00 of an XMEGA flash image into
 * version (out), which must hold ver_len + 1 bytes. filename (in) is a
 * NUL-terminated path. VX_ZYRA_OK when found, else VX_ZYRA_FAILED (also for
 * a NULL filename or version). */
VX_ZYRA_EXPORT int vx_zyra_xmega_version(char *filename, char *version, int ver_len);
/* Reads the fan-control setting from the EEPROM image at filename (in,
 * NUL-terminated) into settings (out). VX_ZYRA_OK, or -1 (settings
 * untouched; also for a NULL argument). */
VX_ZYRA_EXPORT int vx_zyra_read_eeprom_settings(char *filename, struct eeprom_settings *settings);
/* Writes a 2048-byte EEPROM image holding settings (in) to filename (in,
 * NUL-terminated). VX_ZYRA_OK, or -1 (also for a NULL argument). */
VX_ZYRA_EXPORT int vx_zyra_write_eeprom_settings(char *filename, struct eeprom_settings *settings);

/* ---- Application firmware ------------------------------------------------ */

/* Boot agents flashed before the image when the bootloader is 2.0.5 or older:
 * line-feed-separated Intel HEX text starting with a line feed; empty in a
 * build without them, which refuses such a unit (VX_ZYRA_APP_NO_BOOT_AGENT). */
extern VX_ZYRA_EXPORT const char VX_ZYRA_TX_BOOT_AGENT[12014];
extern VX_ZYRA_EXPORT const char VX_ZYRA_RX_BOOT_AGENT[10750];
/* Template of every FW_DATA_BLOCK frame; bytes 10 (low) and 11 (high) hold
 * the upper 16 address bits of the last extended linear address record.
 * Process-wide: two updates must not run at the same time. */
extern VX_ZYRA_EXPORT uint8_t vx_zyra_app_buf[64];

/* Handles one Intel HEX record at line (in, not NULL; need not be
 * NUL-terminated after the record).
 * Not an enum vx_zyra_result: the record's type for the records it only reads.
 * 0 data record sent (caller receives the ack), 1 end of file, 3 start
 * segment address, 4 extended linear address (stored), 5 start linear
 * address, -1 malformed or unsupported record, other negative: send error. */
VX_ZYRA_EXPORT int vx_zyra_send_app_line(vx_zyra_t *h, const char *line);
/* Whole application update from Intel HEX text. VX_ZYRA_OK, or VX_ZYRA_FAILED
 * with a message and a VX_ZYRA_APP_* step code. fw_data (in): fw_length
 * bytes; NULL reads as empty. cb may be NULL (no progress); cb_data is
 * handed to it unread. */
VX_ZYRA_EXPORT int vx_zyra_update_app_array(vx_zyra_t *h, const uint8_t *fw_data, uint32_t fw_length,
                                            firmware_callback_f cb, void *cb_data);
/* Reads file_name (in, NUL-terminated) whole and runs
 * vx_zyra_update_app_array; file failures, NULL included, give
 * VX_ZYRA_APP_FILE_FAILED. */
VX_ZYRA_EXPORT int vx_zyra_update_app(vx_zyra_t *h, const char *file_name, firmware_callback_f cb, void *cb_data);

/* ---- MAC firmware --------------------------------------------------------- */

/* Whole radio firmware update from an image of three regions (TX, RX,
 * daemon), checked before anything is sent. VX_ZYRA_OK, or VX_ZYRA_FAILED
 * with a message and a VX_ZYRA_MAC_* step code. fw_data (in): fw_length
 * bytes; NULL is a bad image. cb and cb_data as for the application. */
VX_ZYRA_EXPORT int vx_zyra_update_mac_array(vx_zyra_t *h, const uint8_t *fw_data, uint32_t fw_length,
                                            firmware_callback_f cb, void *cb_data);
/* Reads file_name (in, NUL-terminated) whole and runs
 * vx_zyra_update_mac_array; file failures, NULL included, give
 * VX_ZYRA_MAC_FILE_FAILED. */
VX_ZYRA_EXPORT int vx_zyra_update_mac(vx_zyra_t *h, const char *file_name, firmware_callback_f cb, void *cb_data);

#ifdef __cplusplus
}
#endif

#endif /* VX_ZYRA_H */
