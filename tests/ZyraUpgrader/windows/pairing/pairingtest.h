// Helpers shared by the pairing window tests: units whose user has set
// their configuration, and a worker held right after one of its debug lines.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>

#include "zyra_sim/virtual_unit.h"

class QWidget;

namespace pairingtest {

const uint8_t broadcast = 2;
const uint8_t unicast = 4;

// A unit of that side (1 TX, 2 RX) attached to the bus, its user's region 6
// and transmission mode `mode` stored.
std::shared_ptr<zyra_sim::VirtualUnit> plugIn(uint8_t side, uint8_t mode);
// The unit's stored transmission mode (cell 8 on a TX, 7 on an RX); 0 when empty.
uint8_t storedMode(const zyra_sim::VirtualUnit &unit);

void click(QWidget *window, const char *buttonName);
// Waits until the window is shown (true) or 10 s have passed.
bool waitUntilShown(QWidget *window);

// While it lives, a thread that writes this debug line is held there for
// ms real milliseconds, widening the window in which another thread could
// overtake it.
class TraceHold
{
public:
    TraceHold(const QString &line, int ms);
    ~TraceHold();
};

}  // namespace pairingtest
