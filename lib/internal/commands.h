// The unit's USB command protocol: codes, endpoints and the fixed numbers
// of its framing. One name per code the library sends or waits for.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyra {

namespace cmd {
constexpr uint8_t MAC_REG_WRITE = 0x1C;
constexpr uint8_t MAC_REG_READ = 0x1D;
constexpr uint8_t IR_COMMAND = 0x20;
constexpr uint8_t START_REGISTRATION = 0x2A;
constexpr uint8_t GET_SIDE = 0x7A;
constexpr uint8_t UPDATE_MAC_START = 0x7B;
constexpr uint8_t STORAGE_RESTORE = 0x8A;
constexpr uint8_t STORAGE_SET = 0x8B;
constexpr uint8_t START_UPGRADE = 0x8C;
constexpr uint8_t BL_GET_CONFIG = 0x8D;
constexpr uint8_t FW_DATA_BLOCK = 0x8E;
constexpr uint8_t BL_FWU_COMPLETED = 0x8F;
constexpr uint8_t BOOTLOADER_RESTART = 0x90;
constexpr uint8_t EXEC_BOOTLOADER = 0x92;
constexpr uint8_t ERASE_DONE = 0x93;
constexpr uint8_t IS_BOOTLDR = 0x94;
constexpr uint8_t STORAGE_PRINT = 0xCF;
constexpr uint8_t STORAGE_GET = 0xD2;
constexpr uint8_t GET_SIGNATURE = 0xD4;
constexpr uint8_t GET_APP_VERSION = 0xE2;
constexpr uint8_t DATA_BYTE = 0xE3;
constexpr uint8_t BOOT_LOADER_READY = 0xF4;
constexpr uint8_t BOOT_LOADER_STARTED = 0xF5;
constexpr uint8_t SYSTEM_RESTART = 0xFF;
}  // namespace cmd

constexpr uint16_t USB_VENDOR_ID = 0x22CA;
constexpr uint16_t USB_PRODUCT_ID = 0x1111;
constexpr int USB_INTERFACE = 0;
// The video module (an atxmega128a4u) waiting in its DFU bootloader.
constexpr uint16_t VIDEO_MODULE_DFU_VENDOR_ID = 0x03EB;
constexpr uint16_t VIDEO_MODULE_DFU_PRODUCT_ID = 0x2FDE;
constexpr unsigned char ENDPOINT_OUT = 0x02;
constexpr unsigned char ENDPOINT_IN = 0x81;

// Command frame: AA BB code length payload checksum.
constexpr uint8_t FRAME_PREFIX_0 = 0xAA;
constexpr uint8_t FRAME_PREFIX_1 = 0xBB;
constexpr size_t FRAME_CODE = 2;
constexpr size_t FRAME_LENGTH = 3;
constexpr size_t FRAME_PAYLOAD = 4;
// Prefix, code, length and checksum around the payload.
constexpr size_t FRAME_OVERHEAD = 5;

// The command and response buffer every command uses (vx_zyra_t.buf).
constexpr size_t COMMAND_BUFFER_SIZE = 64;
// Capacity a caller announces to vx_zyra_recv_cmd for that buffer.
constexpr size_t RESPONSE_CAPACITY = COMMAND_BUFFER_SIZE;

// Send and receive timeouts of most commands, in seconds.
constexpr int DEFAULT_TIMEOUT_S = 10;

}  // namespace zyra
