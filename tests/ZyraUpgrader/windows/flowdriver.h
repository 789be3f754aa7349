// Drives the real program through its windows the way a person would and
// records what the main window showed while an update ran.
#pragma once

#include <QObject>
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

    // Every text the status line was given, in order, repeats folded, and
    // every value the bar took.
    QStringList statuses() const { return statusTexts; }
    QVector<int> barValues() const { return values; }
    // Every sign of life shown below the status line, repeats folded.
    QStringList signsOfLife() const { return waitingTexts; }
    // Called in the GUI thread at every bar change, for tests that keep the
    // GUI busy while the worker goes on.
    std::function<void(int)> onBarValue;

    void forgetRecord();
    // Ends the program, waiting for its runs.
    void close();

protected:
    // The window changes its status line only in its slots, and the worker
    // reaches those only through queued calls: the line is read before each
    // such call and once more when the run rests.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void recordStatus();

    std::unique_ptr<DashBoard> dashboard;
    QStringList statusTexts;
    QStringList waitingTexts;
    QVector<int> values;
};

}  // namespace guitest
