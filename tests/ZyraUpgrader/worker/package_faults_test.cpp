// A bad package never reaches the unit: whatever is wrong with it ends the
// update or recovery run with the error of the step that reads the file,
// before any dfu-programmer run and before any command that changes the
// radio unit.
#include "worker_fixture.h"

#include <functional>

namespace {

// The commands that change the radio unit.
const uint8_t changingCommands[] = {
    wire::UPDATE_MAC_START, wire::STORAGE_RESTORE, wire::STORAGE_SET,
    wire::START_UPGRADE,    wire::EXEC_BOOTLOADER, wire::SYSTEM_RESTART,
};

enum class RunKind {
    Update,
    Recovery
};

struct PackageFault {
    const char *name;
    int deviceType;
    RunKind run;
    const char *file;
    // The file's new content made from its sample content; null removes it.
    std::function<QByteArray(const QByteArray &)> fault;
    int code;
    QString headline;
};

void PrintTo(const PackageFault &row, std::ostream *out)
{
    *out << row.name;
}

std::string rowName(const testing::TestParamInfo<PackageFault> &row)
{
    return row.param.name;
}

QByteArray removed(const QByteArray &)
{
    return {};
}

std::function<QByteArray(const QByteArray &)> replacedBy(const QByteArray &content)
{
    return [content](const QByteArray &) { return content; };
}

QByteArray withEmptySecondLine(const QByteArray &hex)
{
    QByteArray changed = hex;
    return changed.insert(hex.indexOf('\n') + 1, '\n');
}

const QString videoModule = "Error updating Video Module";
const QString radio1 = "Error updating Radio 1";
const QString radio2 = "Error updating Radio 2";
const QString configuration = "Error updating device configuration";

const PackageFault rows[] = {
    {"xmegaImageMissing", 1, RunKind::Update, "firmware/firmware.hex", removed, 11, videoModule},
    {"xmegaImageMalformed", 4, RunKind::Update, "firmware2k/firmware.hex", replacedBy(":10000000\n"), 11, videoModule},
    {"firmwareIniMissing", 1, RunKind::Update, "firmware/firmware.ini", removed, 21, radio1},
    {"firmwareIniWithoutTheSidesGroup", 0, RunKind::Update, "firmware/firmware.ini",
     replacedBy("[FIRMWARE_RX]\napp=app-rx.hex\nmac=mac.bin\n"), 22, radio1},
    {"applicationImageWithAnEmptyLine", 3, RunKind::Update, "firmware/app-rx.hex", withEmptySecondLine, 22, radio1},
    {"applicationImageMissing", 4, RunKind::Update, "firmware2k/app-tx.hex", removed, 22, radio1},
    {"macImageMissing", 3, RunKind::Update, "firmware/mac.bin", removed, 32, radio2},
    {"macImageCut", 5, RunKind::Update, "firmware2k/mac.bin", replacedBy(QByteArray(40, '\0')), 32, radio2},
    {"macImageNotNamed", 2, RunKind::Update, "firmware/firmware.ini",
     replacedBy("[FIRMWARE_TX]\napp=app-tx.hex\n[FIRMWARE_RX]\napp=app-rx.hex\n"), 32, radio2},
    {"storageIniMissing", 1, RunKind::Update, "firmware/storage.ini", removed, 42, "R " + configuration},
    {"storageValueNotANumber", 5, RunKind::Update, "firmware2k/storage.ini", replacedBy("[STORAGE_RX]\n20=two\n"), 46,
     configuration},
    {"storageListTooLong", 4, RunKind::Update, "firmware2k/storage.ini",
     replacedBy("[STORAGE_TX]\n20=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n"), 46, configuration},
    {"recoveryImageMissing", 3, RunKind::Recovery, "firmware/app-rx-recovery.hex", removed, 22, radio1},
    {"recoveryImageMalformed", 0, RunKind::Recovery, "firmware/app-tx-recovery.hex", replacedBy(":10000000\n"), 22,
     radio1},
};

class PackageFaults : public WorkerFixture, public testing::WithParamInterface<PackageFault>
{
};

TEST_P(PackageFaults, EndInTheStepsErrorBeforeTheUnitIsChanged)
{
    const PackageFault &row = GetParam();
    const bool hasVideoModule = row.deviceType != 2 && row.deviceType != 5;
    const QByteArray content = row.fault(packageFile(row.file));
    if (content.isNull())
        removeFile(row.file);
    else
        writeFile(row.file, content);

    std::shared_ptr<zyra_sim::VirtualUnit> unit;
    std::vector<Step> steps{&UpdaterThread::updateAPPFW, &UpdaterThread::updateMACFW, &UpdaterThread::updateStorage};
    QStringList events;
    worker->storagePending = true;
    if (row.run == RunKind::Recovery) {
        // As the main window's recovery run: the unit is found again, then
        // the recovery image, the MAC image and the normal image are written.
        worker->deviceType = row.deviceType;
        worker->recoveryMode = true;
        unit = attachUnit(sideOf(row.deviceType));
        steps.insert(steps.begin() + 2, &UpdaterThread::updateAPPFW);
        steps.insert(steps.begin(), &UpdaterThread::reconnect2Device);
        events << "progress 1000"
               << "finished";
    } else if (hasVideoModule) {
        useDeviceType(row.deviceType);
        unit = attachUnit(sideOf(row.deviceType));
        steps.insert(steps.begin(), &UpdaterThread::updateZYRA);
    } else {
        unit = connectUnit(row.deviceType);
    }

    runChain(steps);

    events << errorEvent(row.code, QString("%1\n\nError Code: %2").arg(row.headline).arg(row.code));
    EXPECT_EQ(log.events(), events);
    EXPECT_EQ(xmega().runs(), std::vector<std::string>{}) << "no dfu-programmer run at all";
    for (uint8_t code : changingCommands)
        EXPECT_TRUE(unit->framesWithCode(code).empty()) << "command " << int(code);
    EXPECT_EQ(unit->eraseCount(), 0);
    EXPECT_EQ(unit->restartCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(SamplePackage, PackageFaults, testing::ValuesIn(rows), rowName);

}  // namespace
