// The unit's wire codes, written out once for every test and taken from
// neither the library nor the virtual unit: a wrong code in either shows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wire {

constexpr uint16_t USB_VENDOR_ID = 0x22CA;
constexpr uint16_t USB_PRODUCT_ID = 0x1111;
constexpr unsigned char ENDPOINT_OUT = 0x02;
constexpr unsigned char ENDPOINT_IN = 0x81;

// Command codes; each answer record carries its command's code.
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

// Command frame (host to unit): AA BB code length payload, then the XOR of
// all bytes before it.
constexpr uint8_t FRAME_PREFIX_0 = 0xAA;
constexpr uint8_t FRAME_PREFIX_1 = 0xBB;
constexpr size_t FRAME_OVERHEAD = 5;

// Response record in the unit's IN stream: 00 24, type 01, class, code high
// byte, code, payload length (big-endian), payload.
constexpr uint8_t RECORD_PREFIX_0 = 0x00;
constexpr uint8_t RECORD_PREFIX_1 = 0x24;
constexpr uint8_t RECORD_TYPE = 0x01;
constexpr size_t RECORD_HEADER = 8;

}  // namespace wire
