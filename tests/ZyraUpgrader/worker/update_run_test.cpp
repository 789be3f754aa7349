// UpdateRun drives the steps itself: its reports for each device type, and a
// stop that lets the running step end and starts no further one.
#include "devicetypes.h"
#include "updaterun.h"
#include "worker_fixture.h"
#include "xmega_state.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

struct RunCase {
    int type;
    bool stopAfterFirstStep;
    QStringList reports;
};

// A row's name: its type and whether it stops, not the struct's bytes.
void PrintTo(const RunCase &row, std::ostream *out)
{
    *out << "type " << row.type << (row.stopAfterFirstStep ? ", stopped" : "");
}

class UpdateRunReports : public WorkerFixture, public testing::WithParamInterface<RunCase>
{
};

TEST_P(UpdateRunReports, AreTheStepsOfTheWindow)
{
    const RunCase &row = GetParam();
    useDeviceType(row.type);
    auto unit = attachUnit(sideOf(row.type));
    if (!DeviceTypes::hasVideoModule(row.type)) {
        ASSERT_EQ(vx_zyra_connect(&handle), 0) << "detection leaves these units connected";
    }

    UpdateRun run(&handle);
    QStringList reports;
    int lastProgress = 0;
    QEventLoop loop;
    QObject::connect(&run, &UpdateRun::stepStarted, [&](const QString &text) { reports << text; });
    QObject::connect(&run, &UpdateRun::progressed, [&](int value, int total) {
        EXPECT_EQ(total, UpdateRun::progressTotal);
        lastProgress = value;
    });
    QObject::connect(&run, &UpdateRun::failed, [&](const QString &message, int code) {
        reports << QString("failed %1: %2").arg(code).arg(message);
    });
    QObject::connect(&run, &UpdateRun::succeeded, [&] { reports << "succeeded"; });
    QObject::connect(&run, &UpdateRun::stopped, [&] { reports << "stopped"; });
    QObject::connect(&run, &UpdateRun::threadFinished, &loop, &QEventLoop::quit);
    // Queued as the window's reactions are: they see a run that has ended,
    // though its thread may still be winding down.
    bool inProgressAtItsEnd = true;
    const auto atItsEnd = [&] { inProgressAtItsEnd = run.inProgress(); };
    QObject::connect(&run, &UpdateRun::failed, &run, atItsEnd, Qt::QueuedConnection);
    QObject::connect(&run, &UpdateRun::succeeded, &run, atItsEnd, Qt::QueuedConnection);
    QObject::connect(&run, &UpdateRun::stopped, &run, atItsEnd, Qt::QueuedConnection);

    run.update(row.type, 2);
    if (row.stopAfterFirstStep)
        run.stopAfterCurrentStep();
    loop.exec();
    // The thread may end before the queued reactions are delivered.
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(reports, row.reports);
    EXPECT_FALSE(run.inProgress());
    EXPECT_FALSE(inProgressAtItsEnd);
    if (!row.stopAfterFirstStep) {
        EXPECT_EQ(lastProgress, UpdateRun::progressTotal);
    }
    const size_t macFrames = unit->framesWithCode(wire::UPDATE_MAC_START).size();
    EXPECT_EQ(macFrames > 0, !row.stopAfterFirstStep) << "a stopped run never reaches the MAC image";
}

const QString video = "Updating Video Module";
const QString radio1 = "Updating Radio 1 of 2";
const QString radio2 = "Updating Radio 2 of 2";
const QString configuration = "Updating device configuration ";
const QStringList withVideoModule{video, radio1, radio2, configuration, "succeeded"};
const QStringList withoutVideoModule{radio1, radio2, configuration, "succeeded"};

INSTANTIATE_TEST_SUITE_P(DeviceTypes, UpdateRunReports,
                         testing::Values(RunCase{0, false, withVideoModule}, RunCase{1, false, withVideoModule},
                                         RunCase{2, false, withoutVideoModule}, RunCase{3, false, withVideoModule},
                                         RunCase{4, false, withVideoModule}, RunCase{5, false, withoutVideoModule},
                                         RunCase{1, true, {video, "stopped"}}, RunCase{5, true, {radio1, "stopped"}}));

// A program leaving the moment a stop ends the run (a second Ctrl-C): the
// worker then deletes itself as its thread ends, and only once.
using UpdateRunRelease = WorkerFixture;

TEST_F(UpdateRunRelease, LeavingAsTheRunStopsDeletesTheWorkerOnce)
{
    useDeviceType(1);
    attachUnit(sideOf(1));
    UpdateRun run(&handle);
    bool released = false;
    QEventLoop loop;
    QObject::connect(&run, &UpdateRun::stopped, [&] {
        run.releaseWorkerOnExit("LEAVING");
        released = true;
        loop.quit();
    });
    run.update(1, 2);
    run.stopAfterCurrentStep();
    loop.exec();
    EXPECT_TRUE(released);
    EXPECT_FALSE(run.inProgress());
}

// Two units on the bus, the other one listed first: detection and update
// given the chosen unit's port work on it alone, every restart coming back
// to it, and leave the other one byte for byte as it was.
struct ChosenUnitCase {
    const char *name;
    int type;
    const char *port;  // chosen: the radio's, or the module's in its bootloader
    QStringList reports;
    bool unpluggedMidRun = false;  // the chosen unit never comes back from a restart
};

void PrintTo(const ChosenUnitCase &row, std::ostream *out)
{
    *out << row.name;
}

class UpdateRunOnTheChosenUnit : public WorkerFixture, public testing::WithParamInterface<ChosenUnitCase>
{
};

TEST_P(UpdateRunOnTheChosenUnit, LeavesTheOtherUnitAsItWas)
{
    const ChosenUnitCase &row = GetParam();
    useDeviceType(row.type);
    auto unit = std::make_shared<zyra_sim::VirtualUnit>(sideOf(row.type));
    auto other = std::make_shared<zyra_sim::VirtualUnit>(sideOf(row.type));
    other->setStorage(0x0101, {0x42});
    zyra_sim::Bus::instance().attach(unit, "1-2");
    zyra_sim::Bus::instance().attachAnother(other, "1-1");
    const auto otherFlash = other->flashSegments();
    // With a video module, the other unit's waits in its bootloader too,
    // with an image of its own.
    ASSERT_TRUE(QDir().mkpath(path("state/1-1")));
    zyra_dfu::XmegaState otherModule(path("state").toStdString(), path("state/1-1").toStdString());
    if (DeviceTypes::hasVideoModule(row.type)) {
        otherModule.setFlash(std::vector<uint8_t>(zyra_dfu::applicationFlashBytes, 0x5A));
        otherModule.setMode(zyra_dfu::Mode::Dfu);
    }
    const std::vector<uint8_t> otherModuleFlash = otherModule.flash();
    const zyra_dfu::Mode otherModuleMode = otherModule.mode();
    if (row.unpluggedMidRun)
        unit->setRestartTimeMs(60LL * 60 * 1000);

    UpdateRun run(&handle);
    run.setUnitPort(row.port);
    QStringList reports;
    QEventLoop loop;
    QObject::connect(&run, &UpdateRun::detected, [&](const QString &version) { reports << "detected " + version; });
    QObject::connect(&run, &UpdateRun::failed, [&](const QString &message, int code) {
        reports << QString("failed %1: %2").arg(code).arg(message);
    });
    QObject::connect(&run, &UpdateRun::succeeded, [&] { reports << "succeeded"; });
    QObject::connect(&run, &UpdateRun::recoveryRequested,
                     [&](int status) { reports << QString("recovery %1").arg(status); });
    QObject::connect(&run, &UpdateRun::threadFinished, &loop, &QEventLoop::quit);
    run.detect(row.type);
    loop.exec();
    run.update(row.type, 2);
    loop.exec();
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(reports, row.reports);
    const bool updated = reports.last() == "succeeded";
    EXPECT_EQ(unit->framesWithCode(wire::UPDATE_MAC_START).empty(), !updated);
    EXPECT_EQ(unit->restartCount() > 0, updated || row.unpluggedMidRun);
    EXPECT_TRUE(other->frames().empty()) << other->frames().size() << " frames reached the other unit";
    EXPECT_EQ(other->restartCount(), 0);
    EXPECT_EQ(other->storage(0x0101), zyra_sim::Bytes{0x42});
    EXPECT_EQ(other->flashSegments(), otherFlash);
    EXPECT_TRUE(otherModule.flash() == otherModuleFlash) << "the other unit's video module was flashed";
    EXPECT_EQ(otherModule.mode(), otherModuleMode);
}

const QString severalUnits = "failed 50: Error, more than one ZYRA unit detected.\n\nPlease choose the unit to work "
                             "on, or attach only one\n\nError Code: 50";
const QString chosenAway =
    "failed 51: Error, the chosen ZYRA unit is not attached.\n\nPlease check your USB connection\n\nError Code: 51";
const QString apiVersion =
    QString("%1.%2.%3").arg(VX_ZYRA_API_MAJOR_VERSION).arg(VX_ZYRA_API_MINOR_VERSION).arg(VX_ZYRA_API_BUILD_VERSION);

INSTANTIATE_TEST_SUITE_P(
    TwoUnits, UpdateRunOnTheChosenUnit,
    testing::Values(ChosenUnitCase{"HdmiRx", 2, "1-2.1", {"detected " + apiVersion, "succeeded"}},
                    ChosenUnitCase{"TwoKRx", 5, "1-2.1", {"detected " + apiVersion, "succeeded"}},
                    // By the module's port, or by the radio's while the module waits.
                    ChosenUnitCase{"HdmiTx", 0, "1-2.2", {"detected v1.3", "succeeded"}},
                    ChosenUnitCase{"SdiTx", 1, "1-2.1", {"detected v1.3", "succeeded"}},
                    ChosenUnitCase{"SdiRx", 3, "1-2.2", {"detected v1.3", "succeeded"}},
                    ChosenUnitCase{"TwoKTx", 4, "1-2.1", {"detected v1.3", "succeeded"}},
                    ChosenUnitCase{"NoneChosen", 2, "", {severalUnits, severalUnits}},
                    ChosenUnitCase{"NoneChosenTwoModules", 1, "", {severalUnits, severalUnits}},
                    ChosenUnitCase{"NothingAtThePort", 2, "1-3.1", {chosenAway, chosenAway}},
                    ChosenUnitCase{"UnpluggedMidRun", 5, "1-2.1", {"detected " + apiVersion, "recovery 1"}, true}),
    [](const testing::TestParamInfo<ChosenUnitCase> &row) { return std::string(row.param.name); });

}  // namespace
