// PairRun drives both pairing steps itself: what it reports for each kind
// of unit and failure, each step's outcome told only once its thread has
// ended, so that the next step never meets the last one on the session.
#include "pairrun.h"
#include "wire_codes.h"
#include "worker_fixture.h"

#include <QEventLoop>
#include <QTimer>

namespace {

struct PairCase {
    const char *name;
    int type;
    uint8_t side;
    // Silences this command on the unit; 0 for none.
    uint8_t silenced;
    QStringList reports;
    bool paired;
    // Given: another receiver is first on the bus, the unit behind hub
    // 1-2, and the run is given this port.
    const char *port = nullptr;
};

void PrintTo(const PairCase &row, std::ostream *out)
{
    *out << row.name;
}

class PairRunReports : public WorkerFixture, public testing::WithParamInterface<PairCase>
{
};

TEST_P(PairRunReports, AreThoseOfBothFrontEnds)
{
    const PairCase &row = GetParam();
    auto unit = std::make_shared<zyra_sim::VirtualUnit>(row.side);
    auto other = std::make_shared<zyra_sim::VirtualUnit>(VX_ZYRA_RX);
    zyra_sim::Bus::instance().attach(unit, row.port ? "1-2" : "1-1");
    if (row.silenced != 0)
        unit->silenceCommand(row.silenced);

    PairRun run;
    if (row.port) {
        zyra_sim::Bus::instance().attachAnother(other, "1-1");
        run.setUnitPort(row.port);
    }
    QStringList reports;
    QEventLoop loop;
    QObject::connect(&run, &PairRun::failed,
                     [&](const QString &, int code) { reports << QString("failed %1").arg(code); });
    QObject::connect(&run, &PairRun::awaitingConfirmation, [&] {
        reports << (run.stepRunning() ? "awaiting, step running" : "awaiting");
        run.confirm();
    });
    QObject::connect(&run, &PairRun::paired, [&] { reports << "paired"; });
    QObject::connect(&run, &PairRun::stepEnded, [&] {
        // The preparing step's end, with the confirmation already started.
        const bool confirming = !reports.isEmpty() && reports.last().startsWith("awaiting");
        reports << "ended";
        if (!confirming)
            loop.quit();
    });
    QTimer::singleShot(20000, &loop, [&] {
        ADD_FAILURE() << "no end";
        loop.quit();
    });

    run.prepare(row.type);
    loop.exec();

    EXPECT_EQ(reports, row.reports);
    EXPECT_EQ(unit->paired(), row.paired);
    EXPECT_TRUE(other->frames().empty()) << "nothing reaches the other receiver";
    if (!row.paired) {
        EXPECT_EQ(zyra_sim::Bus::instance().misuses(), 0);
    }
}

const QStringList pairs{"awaiting", "ended", "paired", "ended"};

INSTANTIATE_TEST_SUITE_P(
    Units, PairRunReports,
    testing::Values(PairCase{"HdmiReceiver", 2, VX_ZYRA_RX, 0, pairs, true},
                    PairCase{"TwoKReceiver", 5, VX_ZYRA_RX, 0, pairs, true},
                    PairCase{"TransmitterType", 0, VX_ZYRA_TX, 0, {"failed 0", "ended"}, false},
                    PairCase{"TransmitterAttached", 2, VX_ZYRA_TX, 0, {"failed 1", "ended"}, false},
                    PairCase{"SideUnread", 3, VX_ZYRA_RX, wire::GET_SIDE, {"failed 1", "ended"}, false},
                    // The storage error leaves the pairing to go on.
                    PairCase{"StorageUnrestored", 2, VX_ZYRA_RX, wire::STORAGE_RESTORE,
                             QStringList{"failed 45"} + pairs, true},
                    PairCase{"ChosenOfTwo", 5, VX_ZYRA_RX, 0, pairs, true, "1-2.1"},
                    PairCase{"NoneChosenOfTwo", 2, VX_ZYRA_RX, 0, {"failed 0", "ended"}, false, ""}),
    [](const testing::TestParamInfo<PairCase> &row) { return std::string(row.param.name); });

}  // namespace
