// Drives the real program through its windows the way a person would and
// records what the main window showed while an update ran.
#pragma once

#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>
#include <memory>

class DashBoard;
class QLabel;
class QPushButton;

namespace guitest {

class FlowDriver : public QObject
{
public:
    FlowDriver();
    ~FlowDriver() override;

    // Starts the program and goes through device and mode selection to the
    // instructions layout of the type.
    void openUpdate(int deviceType);
    void chooseDevice(int deviceType);
    void openUpdateFromModeSelection();
    void backToDeviceSelection();
    void click(const char *widgetName);
    bool clickIfEnabled(const char *widgetName);

    // Next on the instructions layout, then waits for the run it starts.
    bool next();
    // Waits until no run is going on: the detection, update or recovery
    // reached a screen that waits for the user.
    bool waitForRest(int timeoutMs = 120000);

    QWidget *window() const;
    template <class T>
    T *widget(const char *name) const
    {
        return window()->findChild<T *>(name);
    }
    QString text(const char *name) const;
    bool shown(const char *name) const;

    // Status texts in the order they were shown while the bar moved, each
    // once per stretch, and every bar value.
    QStringList statuses() const;
    QVector<int> barValues() const { return values; }
    // Called at each new status text (in the GUI thread), for tests that
    // keep the GUI busy at the hand-over points.
    std::function<void(const QString &)> onNewStatus;

    void forgetRecord();
    // Ends the program, waiting for its runs.
    void close();

private:
    void recordBar(int value);

    std::unique_ptr<DashBoard> dashboard;
    QVector<QPair<QString, int>> record;
    QVector<int> values;
};

}  // namespace guitest
