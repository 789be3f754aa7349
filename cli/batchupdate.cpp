#include "batchupdate.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <memory>
#include <vector>

#include "attachedunits.h"
#include "batchview.h"
#include "devicetypenames.h"
#include "devicetypes.h"
#include "interrupts.h"
#include "packagefaults.h"
#include "unitbench.h"
#include "unitprocess.h"

namespace {

// A unit that does not answer its reading within this is left untouched.
constexpr int readingMs = 60000;

}  // namespace

QList<ListedUnit> listAttachedUnits()
{
    const UnitBench bench = UnitBench::attached();
    // Opening a unit takes seconds: each is read by a zyra info of its own,
    // all at once, rather than one after the other.
    std::vector<std::unique_ptr<QProcess>> readers;
    for (const QString &port : bench.radios()) {
        readers.push_back(std::make_unique<QProcess>());
        readers.back()->start(QCoreApplication::applicationFilePath(), {"info", "--unit", port, "--json"});
    }
    QList<ListedUnit> units;
    for (int index = 0; index < bench.radios().size(); ++index) {
        QProcess &reader = *readers[static_cast<size_t>(index)];
        ListedUnit unit{bench.radios().at(index), attachedunits::unknown, {}, {}};
        reader.waitForFinished(readingMs);
        for (const QByteArray &line : reader.readAllStandardOutput().split('\n')) {
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            if (event.value("event") == "done" && event.contains("side")) {
                unit.state = attachedunits::application;
                unit.side = event.value("side").toString();
                unit.serial = event.value("serial").toString();
            }
        }
        units << unit;
    }
    for (const QString &port : bench.modules())
        units.append({port, attachedunits::videoModuleDfu, {}, {}});
    return units;
}

QString misfitOf(const ListedUnit &unit, int deviceType)
{
    const QString type = deviceTypeName(deviceType);
    if (unit.state == attachedunits::videoModuleDfu)
        return DeviceTypes::hasVideoModule(deviceType)
                   ? QString()
                   : QString("a video module in its bootloader, which %1 has none of").arg(type);
    const QString side = DeviceTypes::isTransmitter(deviceType) ? "tx" : "rx";
    if (unit.side != side)
        return QString("its side is %1, not the %2 of %3").arg(unit.side.isEmpty() ? "unknown" : unit.side, side, type);
    return {};
}

BatchUpdate::BatchUpdate(int deviceType, const QStringList &childArguments, const QStringList &chosen, BatchView &view,
                         QObject *parent)
    : QObject(parent), deviceType_(deviceType), childArguments_(childArguments), chosen_(chosen), view_(view)
{
}

void BatchUpdate::start()
{
    QString detail;
    const FirmwarePackage::Fault fault = wholePackageFault(deviceType_, &detail);
    if (fault != FirmwarePackage::Fault::none) {
        const PackageFaultError failure = packageFaultError(fault);
        view_.note(QString("%1 Error Code: %2. %3 No unit was touched.")
                       .arg(failure.headline)
                       .arg(failure.errorCode)
                       .arg(detail));
        emit ended(failure.errorCode);
        return;
    }
    const QList<ListedUnit> listed = listAttachedUnits();
    QStringList hubs;
    QList<ListedUnit> candidates;
    for (const ListedUnit &unit : listed) {
        const bool named = chosen_.contains(unit.port) || (!unit.serial.isEmpty() && chosen_.contains(unit.serial));
        // A unit's radio and its module are one unit.
        if ((chosen_.isEmpty() || named) && !hubs.contains(UnitBench::hubOf(unit.port))) {
            hubs << UnitBench::hubOf(unit.port);
            candidates << unit;
        }
    }
    for (const QString &choice : chosen_)
        if (std::none_of(candidates.begin(), candidates.end(),
                         [&choice](const ListedUnit &unit) { return unit.port == choice || unit.serial == choice; })) {
            view_.skipped(choice, QString(), "no such unit is attached");
            refused_ = true;
        }
    for (const ListedUnit &unit : candidates) {
        const QString misfit = misfitOf(unit, deviceType_);
        if (!misfit.isEmpty()) {
            view_.skipped(unit.port, unit.serial, misfit);
            // A unit named on the command line is expected to be updated.
            refused_ = refused_ || !chosen_.isEmpty();
            continue;
        }
        auto *process = new UnitProcess(unit.port, unit.serial, childArguments_, this);
        connect(process, &UnitProcess::finished, this, &BatchUpdate::onUnitFinished);
        units_ << process;
        view_.add(process);
    }
    if (units_.isEmpty()) {
        view_.note(QString("No attached unit takes the update %1.").arg(deviceTypeName(deviceType_)));
        emit ended(1);
        return;
    }
    for (UnitProcess *unit : units_)
        unit->start();
}

void BatchUpdate::interrupt(int count)
{
    if (count == 1)
        view_.note("Stopping every unit once its current step has ended; this may take a few minutes. Ctrl-C "
                   "again leaves at once, which may leave the units unusable until they are updated again.");
    interrupted_ = true;
    // Each unit's zyra takes it as its own Ctrl-C: the first lets its step
    // end, the next leaves at once and tells how to recover.
    for (UnitProcess *unit : units_)
        unit->interrupt();
}

void BatchUpdate::onUnitFinished()
{
    auto *finished = qobject_cast<UnitProcess *>(sender());
    view_.ended(finished);
    if (std::any_of(units_.begin(), units_.end(), [](const UnitProcess *unit) { return unit->running(); }))
        return;
    QList<const UnitProcess *> units(units_.begin(), units_.end());
    view_.summary(units);
    const bool allSucceeded = std::all_of(units_.begin(), units_.end(),
                                          [](const UnitProcess *unit) { return unit->state().result == "success"; });
    // A Ctrl-C that came as every unit ended its last step changed nothing.
    emit ended(allSucceeded && !refused_ ? 0 : interrupted_ ? interruptedStatus : 1);
}
