// zyra update TYPE --all, or with several --unit: every chosen unit updated
// at the same time, each by a zyra process of its own (HACKING tells why),
// the units that do not fit TYPE listed and left untouched.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class BatchView;
class UnitProcess;

// A listed unit, what could not be read empty.
struct ListedUnit {
    QString port;
    QString state;
    QString side;
    QString serial;
};

// The attached units and video modules in their bootloaders, each unit
// read briefly: before any update starts.
QList<ListedUnit> listAttachedUnits();
// Why a listed unit cannot take an update of the type; empty when it can.
QString misfitOf(const ListedUnit &unit, int deviceType);

class BatchUpdate : public QObject
{
    Q_OBJECT

public:
    // childArguments: update TYPE and the options each unit's zyra takes.
    // chosen: the --unit values; empty for --all.
    BatchUpdate(int deviceType, const QStringList &childArguments, const QStringList &chosen, BatchView &view,
                QObject *parent = nullptr);

    void start();
    // First: every unit stops after its current step; next: each leaves at once.
    void interrupt(int count);

signals:
    void ended(int status);

private:
    void onUnitFinished();

    int deviceType_;
    QStringList childArguments_;
    QStringList chosen_;
    BatchView &view_;
    QList<UnitProcess *> units_;
    // A chosen unit that was refused: the batch cannot succeed.
    bool refused_ = false;
    bool interrupted_ = false;
};
