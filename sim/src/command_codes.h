// The unit's command codes (both directions).
#pragma once

#include <cstdint>

namespace zyra_sim::cmd {

constexpr uint8_t macRegWrite = 0x1C;
constexpr uint8_t macRegRead = 0x1D;
constexpr uint8_t irCommand = 0x20;
constexpr uint8_t startRegistration = 0x2A;
constexpr uint8_t getSide = 0x7A;
constexpr uint8_t updateMacStart = 0x7B;
constexpr uint8_t storageRestore = 0x8A;
constexpr uint8_t storageSet = 0x8B;
constexpr uint8_t startUpgrade = 0x8C;
constexpr uint8_t blGetConfig = 0x8D;
constexpr uint8_t fwDataBlock = 0x8E;
constexpr uint8_t blFwuCompleted = 0x8F;
constexpr uint8_t bootloaderRestart = 0x90;
constexpr uint8_t execBootloader = 0x92;
constexpr uint8_t eraseDone = 0x93;
constexpr uint8_t isBootldr = 0x94;
constexpr uint8_t storagePrint = 0xCF;
constexpr uint8_t storageGet = 0xD2;
constexpr uint8_t getSignature = 0xD4;
constexpr uint8_t getAppVersion = 0xE2;
constexpr uint8_t dataByte = 0xE3;
constexpr uint8_t bootLoaderReady = 0xF4;
constexpr uint8_t bootLoaderStarted = 0xF5;
constexpr uint8_t systemRestart = 0xFF;

// Code of the unsolicited records an idle unit sends: no command uses it.
constexpr uint8_t idleNoise = 0x42;

}  // namespace zyra_sim::cmd
