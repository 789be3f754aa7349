// Helpers shared by the pairing window tests: units whose user has set
// their configuration, and the program's debug lines, which can hold a
// worker right after it wrote one.
#pragma once

#include <QString>
#include <QStringList>

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

// Records the program's debug lines while it lives.
class TraceLog
{
public:
    TraceLog();
    ~TraceLog();
    QStringList lines() const;
    int count(const QString &line) const;
    // A thread writing this line is held for ms real milliseconds after it.
    void holdAfter(const QString &line, int ms);
};

}  // namespace pairingtest
