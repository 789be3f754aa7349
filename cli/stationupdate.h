// zyra update TYPE --each: a station on a production line. It watches the
// bus, updates each unit of TYPE as it is attached (each by a zyra process
// of its own, as a batch does), never twice while it stays attached, and
// runs until Ctrl-C.
#pragma once

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

class BatchView;
class UnitProcess;

class StationUpdate : public QObject
{
    Q_OBJECT

public:
    StationUpdate(int deviceType, const QStringList &childArguments, BatchView &view, QObject *parent = nullptr);

    void start();
    // First: no new unit is started and every running one stops after its
    // current step; next: each leaves at once.
    void interrupt(int count);

signals:
    void ended(int status);

private:
    // A unit on the bus: the port to update it by, its radio's or else its
    // video module's in its bootloader.
    struct Attached {
        QString port;
        bool videoModule = false;
    };
    // The units now on the bus by their hubs.
    QMap<QString, Attached> attached() const;
    void poll();
    void take(const QString &hub, const Attached &unit);
    void onUnitFinished(const QString &hub, UnitProcess *unit);
    void endOnceIdle();

    int deviceType_;
    QStringList childArguments_;
    BatchView &view_;
    QTimer poll_;
    // The units seen on their hubs since they were attached: the update
    // running or ended, or nullptr for one left untouched.
    QMap<QString, UnitProcess *> seen_;
    QList<const UnitProcess *> ended_;
    bool interrupted_ = false;
};
