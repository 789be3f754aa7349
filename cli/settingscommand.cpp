#include "settingscommand.h"

#include <QStringList>

#include "bootagents.h"
#include "channelplan.h"
#include "regions.h"
#include "reporter.h"
#include "transmissionmode.h"
#include "unitversions.h"
#include "usbaccess.h"
#include "workererrors.h"
#include "zyracommsthread.h"

namespace {

const char connectionError[] =
    "Error - cannot connect to the ZYRA Device! Please check that it is connected and powered on.";

QString regionName(uint8_t code)
{
    for (const regions::Region &region : regions::all())
        if (region.code == code)
            return region.name;
    return QString("unknown (%1)").arg(code);
}

int regionCode(const QString &name)
{
    for (const regions::Region &region : regions::all())
        if (name == region.name)
            return region.code;
    return -1;
}

}  // namespace

SettingsCommand::SettingsCommand(Reporter &reporter, QObject *parent)
    : QObject(parent), reporter_(reporter), comms_(runner_.comms())
{
}

int SettingsCommand::usage(const QString &text)
{
    reporter_.usageError("usage: " + text);
    return Reporter::usageStatus;
}

void SettingsCommand::run(int action)
{
    runner_.run(action, [this](int reported, int status) { onReport(reported, status); });
}

int SettingsCommand::startRegion(const QStringList &arguments)
{
    const char usageText[] = "zyra region [get | set usa|europe|japan|usa-outdoor|europe-outdoor|japan-outdoor]";
    if (arguments.isEmpty() || (arguments.size() == 1 && arguments.first() == "get")) {
        run(ZyraCommsThread::TASK_READ_REGION);
        return -1;
    }
    if (arguments.size() != 2 || arguments.first() != "set" || regionCode(arguments.at(1)) < 0)
        return usage(usageText);
    comms_.region = static_cast<uint8_t>(regionCode(arguments.at(1)));
    run(ZyraCommsThread::TASK_WRITE_REGION);
    return -1;
}

int SettingsCommand::startMode(const QStringList &arguments)
{
    const char usageText[] = "zyra mode [get | set unicast|broadcast]";
    if (arguments.isEmpty() || (arguments.size() == 1 && arguments.first() == "get")) {
        run(ZyraCommsThread::TASK_READ_MODE);
        return -1;
    }
    const QStringList modes{"unicast", "broadcast"};
    if (arguments.size() != 2 || arguments.first() != "set" || !modes.contains(arguments.at(1)))
        return usage(usageText);
    comms_.transmissionMode = arguments.at(1) == "unicast" ? transmissionmode::unicast : transmissionmode::broadcast;
    run(ZyraCommsThread::TASK_WRITE_MODE);
    return -1;
}

int SettingsCommand::startInfo(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usage("zyra info");
    run(ZyraCommsThread::TASK_READ_IDENTITY);
    return -1;
}

int SettingsCommand::startChannels(const QStringList &arguments)
{
    if (!arguments.isEmpty() && arguments.first() == "set") {
        for (const QString &argument : arguments.mid(1)) {
            bool number = false;
            const uint frequency = argument.toUInt(&number);
            if (!number || frequency > 0xFFFF)
                return usage("zyra channels [get | set [MHZ...]]");
            switchedOff_.push_back(static_cast<uint16_t>(frequency));
        }
        writeAfterRead_ = true;
    } else if (arguments.size() > 1 || (arguments.size() == 1 && arguments.first() != "get")) {
        return usage("zyra channels [get | set [MHZ...]]");
    }
    run(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS);
    return -1;
}

void SettingsCommand::reportChannels()
{
    const std::vector<channelplan::Channel> &plan = channelplan::forRegion(comms_.region);
    const std::vector<bool> enabled = channelplan::enabledFlags(plan, comms_.frequencyChannels);
    QStringList rows;
    for (size_t entry = 0; entry < plan.size(); ++entry)
        rows << QString("%1 MHz %2%3")
                    .arg(plan[entry].frequency)
                    .arg(enabled[entry] ? "on" : "off")
                    .arg(channelplan::isDfs(plan[entry]) ? " DFS" : "");
    reporter_.doneWith(rows.join('\n'));
}

void SettingsCommand::writeChannels()
{
    writeAfterRead_ = false;
    const bool broadcast = comms_.transmissionMode == transmissionmode::broadcast;
    switch (channelplan::checkSwitchedOff(channelplan::forRegion(comms_.region), comms_.frequencyChannels, switchedOff_,
                                          broadcast)) {
    case channelplan::Refusal::none:
        channelplan::encode(switchedOff_, comms_.frequencyChannels);
        run(ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS);
        return;
    case channelplan::Refusal::notInPlan:
        reporter_.error("A frequency is not in the channel plan of the unit's region.", 1);
        break;
    case channelplan::Refusal::tooMany:
        reporter_.error(QString("At most %1 channels can be switched off.").arg(channelplan::maxSwitchedOff), 1);
        break;
    case channelplan::Refusal::dfsLocked:
        reporter_.error("In broadcast mode the DFS channels stay as they are.", 1);
        break;
    }
    emit ended(1);
}

void SettingsCommand::reportIdentity()
{
    const vx_zyra_t &unit = *comms_.deviceHandle();
    reporter_.doneWith({
        {"side", unit.side == VX_ZYRA_TX   ? "tx"
                 : unit.side == VX_ZYRA_RX ? "rx"
                                           : "unknown"},
        {"application", unitversions::application(unit)},
        {"radio", unitversions::radio(unit)},
        {"serial", QString::fromLatin1(unit.serial, qstrnlen(unit.serial, sizeof unit.serial)).trimmed()},
        {"signature", QString::fromLatin1(unit.signature, qstrnlen(unit.signature, sizeof unit.signature))},
        {"boot_agents", bootAgentsCarried()},
    });
}

void SettingsCommand::onReport(int action, int status)
{
    if (status != workererrors::commsTaskOk) {
        reporter_.error(usbaccess::explainedFailure(connectionError), status);
        emit ended(1);
        return;
    }
    switch (action) {
    case ZyraCommsThread::TASK_READ_REGION:
        reporter_.doneWith(comms_.regionUnset ? "unset" : regionName(comms_.region));
        break;
    case ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS:
        if (writeAfterRead_) {
            writeChannels();
            return;
        }
        reportChannels();
        break;
    case ZyraCommsThread::TASK_READ_IDENTITY:
        reportIdentity();
        break;
    case ZyraCommsThread::TASK_READ_MODE: {
        const QString mode = comms_.transmissionModeUnset                             ? "unset"
                             : comms_.transmissionMode == transmissionmode::broadcast ? "broadcast"
                                                                                      : "unicast";
        reporter_.doneWith(mode);
        break;
    }
    default:
        reporter_.done(QString());
        break;
    }
    emit ended(0);
}
