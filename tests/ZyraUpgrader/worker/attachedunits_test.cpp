// The attached units as both front ends list them, and the choice of one by
// port path or serial, on a bench of virtual units.
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>

#include "attachedunits.h"
#include "zyra_sim/bus.h"
#include "zyra_sim/clock.h"
#include "zyra_sim/virtual_unit.h"

namespace {

struct BenchUnit {
    uint8_t side;
    const char *serial;
    zyra_sim::Firmware running = zyra_sim::Firmware::Application;
    bool silent = false;
};

struct Row {
    const char *name;
    // Behind hubs 1-1, 1-2, ... in this order.
    std::vector<BenchUnit> units;
    QStringList listed;
    // A --unit value and the port it names, or the error's text.
    QString chosen;
    QString port;
    QString error{};
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

class AttachedUnits : public testing::TestWithParam<Row>
{
protected:
    void TearDown() override { zyra_sim::Bus::instance().reset(); }
};

TEST_P(AttachedUnits, ListsEveryUnitAndResolvesTheChoice)
{
    const Row &row = GetParam();
    zyra_sim::Bus &bus = zyra_sim::Bus::instance();
    bus.reset();
    int hub = 0;
    for (const BenchUnit &benchUnit : row.units) {
        auto unit = std::make_shared<zyra_sim::VirtualUnit>(benchUnit.side);
        std::array<uint8_t, 64> serial{};
        std::memcpy(serial.data(), benchUnit.serial, std::strlen(benchUnit.serial));
        unit->setBoardSerial(serial);
        unit->setRunning(benchUnit.running);
        unit->setSilent(benchUnit.silent);
        const std::string hubPort = "1-" + std::to_string(++hub);
        if (hub == 1)
            bus.attach(unit, hubPort);
        else
            bus.attachAnother(unit, hubPort);
    }

    // As zyra does: a unit named by its port is the only one opened.
    const QList<attachedunits::Unit> units =
        attachedunits::list(attachedunits::isPortPath(row.chosen) ? row.chosen : QString());

    QStringList listed;
    for (const attachedunits::Unit &unit : units)
        listed << attachedunits::describe(unit);
    EXPECT_EQ(listed, row.listed);
    QString error;
    EXPECT_EQ(attachedunits::portOf(units, row.chosen, &error), row.port);
    EXPECT_EQ(error, row.error);
    // Listing leaves nothing open behind it.
    EXPECT_EQ(bus.openHandles(), 0);
}

using zyra_sim::Firmware;
const QString tx1 = "1-1.1, tx, serial TX-ONE, application 1.2.3, radio 4.5.6.7";
const QString rx2 = "1-2.1, rx, serial RX-TWO, application 1.2.3, radio 4.5.6.7";
const QString tx1Unread = "1-1.1, unknown, serial unknown, application unknown, radio unknown, not readable";

INSTANTIATE_TEST_SUITE_P(
    Bench, AttachedUnits,
    testing::Values(
        Row{"by_port", {{1, "TX-ONE"}, {2, "RX-TWO"}}, {tx1Unread, rx2}, "1-2.1", "1-2.1"},
        Row{"by_serial", {{1, "TX-ONE"}, {2, "RX-TWO"}}, {tx1, rx2}, "RX-TWO", "1-2.1"},
        Row{"no_such_serial",
            {{1, "TX-ONE"}, {2, "RX-TWO"}},
            {tx1, rx2},
            "RX-THREE",
            "",
            "No attached ZYRA unit has the serial RX-THREE."},
        Row{"no_unit_at_the_port",
            {{1, "TX-ONE"}},
            {tx1Unread},
            "1-3.1",
            "",
            "No ZYRA unit is attached at the port 1-3.1."},
        Row{"serial_twice",
            {{1, "TX-ONE"}, {2, "RX-TWO"}, {2, "RX-TWO"}},
            {tx1, rx2, "1-3.1, rx, serial RX-TWO, application 1.2.3, radio 4.5.6.7"},
            "RX-TWO",
            "",
            "Several attached ZYRA units have the serial RX-TWO (at 1-2.1, 1-3.1): choose one by its port."},
        // A radio in its bootloader tells its side only; a silent unit
        // nothing, and its unknown serial never matches.
        Row{"bootloader_and_silent_units",
            {{1, "TX-ONE", Firmware::Bootloader}, {2, "RX-TWO", Firmware::Application, true}},
            {"1-1.1, tx, serial unknown, application unknown, radio unknown, radio in its bootloader",
             "1-2.1, unknown, serial unknown, application unknown, radio unknown, not readable"},
            "unknown",
            "",
            "No attached ZYRA unit has the serial unknown."}),
    [](const testing::TestParamInfo<Row> &row) { return std::string(row.param.name); });

}  // namespace
