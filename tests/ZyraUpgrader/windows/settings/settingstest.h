// Helpers shared by the radio settings tests: a virtual unit on the bus and
// a script that answers the
// modal windows a round trip opens.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "commandgate.h"
#include "wire_codes.h"
#include "zyra_sim/virtual_unit.h"

class QWidget;
class modeSelectionDialog;

namespace settingstest {

// Command codes of the unit, as the unit's traffic log shows them.
namespace code {
const uint8_t startRegistration = wire::START_REGISTRATION;
const uint8_t storageSet = wire::STORAGE_SET;
const uint8_t storageGet = wire::STORAGE_GET;
const uint8_t systemRestart = wire::SYSTEM_RESTART;
}  // namespace code

// A fresh bus (time 0) with one unit of that side (1 TX, 2 RX) attached.
std::shared_ptr<zyra_sim::VirtualUnit> attachUnit(uint8_t side);
// A fresh bus with no unit on it.
void emptyBus();

// Ids of the STORAGE_SET frames the unit received, in order.
std::vector<uint16_t> storageSetIds(const zyra_sim::VirtualUnit &unit);
// How many STORAGE_GET frames asked for this id.
int storageGetCount(const zyra_sim::VirtualUnit &unit, uint16_t id);

using guitest::CommandGate;

// Answers the modal windows (other than a progress dialog) as they open,
// in order: each step names the class it expects and acts on the window. A
// window no step expects is recorded and rejected, so a test never hangs.
class ModalScript : public QObject
{
public:
    using Action = std::function<void(QWidget *)>;
    ModalScript();

    void expect(const char *className, Action action);
    // A message box, answered with the button of that text.
    void answerBox(const QString &button);

    bool finished() const { return steps.empty(); }
    // "title: text" of every message box answered, in order.
    QStringList boxes() const { return seenBoxes; }
    // Class names of windows that opened while no step expected them.
    QStringList unexpected() const { return strays; }

private:
    struct Step {
        const char *className;
        Action action;
    };
    void poll();

    QTimer timer;
    std::deque<Step> steps;
    QStringList seenBoxes;
    QStringList strays;
};

// Clicks the button of that text (ampersands ignored) among the widget's children.
bool clickButton(QWidget *parent, const QString &text);

// The mode selection of a device type, shown.
std::unique_ptr<modeSelectionDialog> openModeSelection(int deviceType);
// Clicks one of its settings buttons and waits until the script is done;
// false when it is not, or when a window opened that it did not expect.
bool runRoundTrip(modeSelectionDialog &window, const char *button, const ModalScript &script);

// Debug lines the program writes, for the few behaviours seen only there.
class DebugLog
{
public:
    DebugLog();
    ~DebugLog();
    // How many lines were exactly this text.
    int count(const QString &text) const;
};

}  // namespace settingstest
