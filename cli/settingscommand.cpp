#include "settingscommand.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>

#include "bootagents.h"
#include "channelplan.h"
#include "interrupts.h"
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

SettingsCommand::SettingsCommand(Reporter &reporter, bool confirmed, QObject *parent)
    : QObject(parent), reporter_(reporter), confirmed_(confirmed), comms_(runner_.comms())
{
    connect(this, &SettingsCommand::ended, this, [this](int status) { history_.end(status, status, reporter_); });
}

void SettingsCommand::setUnitPort(const QString &port)
{
    port_ = port;
    comms_.setUnitPort(port);
}

namespace {

QString settingOf(int action)
{
    switch (action) {
    case ZyraCommsThread::TASK_WRITE_REGION:
        return "region";
    case ZyraCommsThread::TASK_WRITE_MODE:
        return "mode";
    case ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS:
        return "channels";
    default:
        return {};
    }
}

}  // namespace

int SettingsCommand::usage(const QString &text)
{
    reporter_.usageError("usage: " + text);
    return Reporter::usageStatus;
}

void SettingsCommand::run(int action)
{
    const QString setting = settingOf(action);
    if (stopRequested_ && !setting.isEmpty()) {
        stop();
        return;
    }
    if (!setting.isEmpty())
        history_.begin(setting, QString());
    taskRunning_ = true;
    runner_.run(action, [this](int reported, int status) {
        taskRunning_ = false;
        if (!settingOf(reported).isEmpty())
            history_.noteUnit(*comms_.deviceHandle());
        if (!stopped_)
            onReport(reported, status);
    });
}

void SettingsCommand::interrupt(int count)
{
    // The task's thread may be inside one storage write; nothing else is
    // left to tidy.
    if (count > 1) {
        history_.leave(interruptedStatus, reporter_);
        std::_Exit(interruptedStatus);
    }
    reporter_.note(stoppingNote);
    stopRequested_ = true;
    if (!taskRunning_)
        stop();
}

void SettingsCommand::stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    reporter_.error("Stopped before the change; the unit keeps its setting.", interruptedStatus);
    emit ended(interruptedStatus);
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
    const char usageText[] = "zyra channels [get | on MHZ... | off MHZ... | set [MHZ...]]";
    const QString verb = arguments.value(0, "get");
    if (verb == "get" && arguments.size() <= 1) {
        run(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS);
        return -1;
    }
    if (verb == "on" && arguments.size() > 1)
        change_ = ChannelChange::switchOn;
    else if (verb == "off" && arguments.size() > 1)
        change_ = ChannelChange::switchOff;
    else if (verb == "set")
        change_ = ChannelChange::replace;
    else
        return usage(usageText);
    for (const QString &argument : arguments.mid(1)) {
        bool number = false;
        const uint frequency = argument.toUInt(&number);
        if (!number || frequency > 0xFFFF)
            return usage(usageText);
        named_.push_back(static_cast<uint16_t>(frequency));
    }
    run(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS);
    return -1;
}

namespace {

// The plan's channels as lines ("5270 MHz on DFS") and as JSON objects.
void describeChannels(const std::vector<channelplan::Channel> &plan, const std::vector<bool> &enabled,
                      QStringList *lines, QJsonArray *items)
{
    for (size_t entry = 0; entry < plan.size(); ++entry) {
        const bool dfs = channelplan::isDfs(plan[entry]);
        *lines << QString("%1 MHz %2%3")
                      .arg(plan[entry].frequency)
                      .arg(enabled[entry] ? "on" : "off")
                      .arg(dfs ? " DFS" : "");
        *items << QJsonObject{{"mhz", plan[entry].frequency}, {"on", bool(enabled[entry])}, {"dfs", dfs}};
    }
}

bool contains(const std::vector<uint16_t> &frequencies, uint16_t frequency)
{
    return std::find(frequencies.begin(), frequencies.end(), frequency) != frequencies.end();
}

}  // namespace

void SettingsCommand::reportChannels()
{
    const std::vector<channelplan::Channel> &plan = channelplan::forRegion(comms_.region);
    QStringList lines;
    QJsonArray items;
    describeChannels(plan, channelplan::enabledFlags(plan, comms_.frequencyChannels), &lines, &items);
    reporter_.doneWithList("channels", items, lines);
}

std::vector<uint16_t> SettingsCommand::switchedOffAfterChange() const
{
    if (change_ == ChannelChange::replace)
        return named_;
    const std::vector<channelplan::Channel> &plan = channelplan::forRegion(comms_.region);
    const std::vector<bool> enabled = channelplan::enabledFlags(plan, comms_.frequencyChannels);
    std::vector<uint16_t> switchedOff;
    for (size_t entry = 0; entry < plan.size(); ++entry) {
        const bool named = contains(named_, plan[entry].frequency);
        const bool on = change_ == ChannelChange::switchOn ? enabled[entry] || named : enabled[entry] && !named;
        if (!on)
            switchedOff.push_back(plan[entry].frequency);
    }
    return switchedOff;
}

QString SettingsCommand::refusalOf(const std::vector<uint16_t> &switchedOff) const
{
    const std::vector<channelplan::Channel> &plan = channelplan::forRegion(comms_.region);
    const QString region = regionName(comms_.region);
    uint16_t channel = 0;
    auto refusal = channelplan::Refusal::none;
    // A named frequency outside the plan, which switching on would not list.
    for (uint16_t frequency : named_)
        if (refusal == channelplan::Refusal::none &&
            std::none_of(plan.begin(), plan.end(),
                         [frequency](const auto &entry) { return entry.frequency == frequency; })) {
            refusal = channelplan::Refusal::notInPlan;
            channel = frequency;
        }
    const bool broadcast = comms_.transmissionMode == transmissionmode::broadcast;
    if (refusal == channelplan::Refusal::none)
        refusal = channelplan::checkSwitchedOff(plan, comms_.frequencyChannels, switchedOff, broadcast, &channel);
    switch (refusal) {
    case channelplan::Refusal::none:
        break;
    case channelplan::Refusal::notInPlan:
        return QString("%1 MHz is not in the channel plan of the unit's region, %2.").arg(channel).arg(region);
    case channelplan::Refusal::tooMany:
        return QString("At most %1 channels can be switched off; this would switch off %2 in the region %3.")
            .arg(channelplan::maxSwitchedOff)
            .arg(switchedOff.size())
            .arg(region);
    case channelplan::Refusal::dfsLocked:
        return QString("%1 MHz is a DFS channel of the region %2: in broadcast mode the DFS channels stay as they "
                       "are.")
            .arg(channel)
            .arg(region);
    }
    return {};
}

void SettingsCommand::writeChannels()
{
    const std::vector<uint16_t> switchedOff = switchedOffAfterChange();
    const bool replace = change_ == ChannelChange::replace;
    change_ = ChannelChange::none;
    const QString refusal = refusalOf(switchedOff);
    if (!refusal.isEmpty()) {
        reporter_.error(refusal, 1);
        emit ended(1);
        return;
    }
    if (replace && !confirmed_) {
        // set switches on every channel it does not name, DFS ones a user
        // switched off included: it writes only the plan it has shown.
        const std::vector<channelplan::Channel> &plan = channelplan::forRegion(comms_.region);
        std::vector<bool> enabled;
        for (const channelplan::Channel &channel : plan)
            enabled.push_back(!contains(switchedOff, channel.frequency));
        QStringList lines;
        QJsonArray items;
        describeChannels(plan, enabled, &lines, &items);
        reporter_.note("zyra channels set would store this plan, every channel not named switched on:\n" +
                       lines.join('\n'));
        reporter_.error("Not written: add --yes to store this plan, or switch single channels with zyra channels "
                        "on or off.",
                        1);
        emit ended(1);
        return;
    }
    channelplan::encode(switchedOff, comms_.frequencyChannels);
    run(ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS);
}

void SettingsCommand::reportIdentity()
{
    const vx_zyra_t &unit = *comms_.deviceHandle();
    reporter_.doneWith({
        {"port", port_.isEmpty() ? QString("unknown") : port_},
        {"side", unit.side == VX_ZYRA_TX   ? "tx"
                 : unit.side == VX_ZYRA_RX ? "rx"
                                           : "unknown"},
        {"application", unitversions::application(unit)},
        {"radio", unitversions::radio(unit)},
        {"serial", unitversions::serial(unit)},
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
        if (change_ != ChannelChange::none) {
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
    // Every write is followed by a read: the user sees what the unit now holds.
    case ZyraCommsThread::TASK_WRITE_REGION:
        run(ZyraCommsThread::TASK_READ_REGION);
        return;
    case ZyraCommsThread::TASK_WRITE_MODE:
        run(ZyraCommsThread::TASK_READ_MODE);
        return;
    case ZyraCommsThread::TASK_WRITE_FREQUENCY_CHANNELS:
        run(ZyraCommsThread::TASK_READ_FREQUENCY_SETTINGS);
        return;
    default:
        reporter_.done(QString());
        break;
    }
    emit ended(0);
}
