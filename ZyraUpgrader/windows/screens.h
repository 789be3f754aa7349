#pragma once

// Screen numbers carried by gotoNextScreen(int) and DashBoard::selectMode(int).
namespace Screen {

constexpr int Pairing = 0;
constexpr int Update = 1;
constexpr int ModeSelection = 2;
constexpr int DeviceSelection = 4;
constexpr int Pair2KStep1 = 5;
constexpr int Pair2KStep3 = 6;

}  // namespace Screen
