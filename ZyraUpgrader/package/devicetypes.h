#pragma once

#include <QString>

// The six unit types the program knows, by the value TxRxDialog emits.
namespace DeviceTypes {

constexpr int Count = 6;
constexpr int SdiReceiver = 3;
constexpr int TwoKReceiver = 5;

bool isValid(int type);
// HDMI RX and 2K RX carry no video module and are reached over USB directly.
bool hasVideoModule(int type);
bool isTransmitter(int type);
// 2K TX and 2K RX: their own firmware directory and a configurable channel plan.
bool is2K(int type);
// Resource paths of the pictures; empty for an unknown type.
QString updatePicture(int type);
QString recoveryPicture(int type);

}  // namespace DeviceTypes
