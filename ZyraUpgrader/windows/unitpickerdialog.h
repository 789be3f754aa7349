#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include "attachedunits.h"

namespace Ui {
class UnitPickerDialog;
}
class QThread;

// Before a detection or a settings task: lists the attached units and, when
// more than one unit or video module is attached, lets the user pick the
// one to work on, so that a run never goes to whichever the bus lists first.
class UnitPickerDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UnitPickerDialog(QWidget *parent = nullptr);
    // Waits for a listing still under way: it opens each unit only briefly.
    ~UnitPickerDialog() override;

    // Lists the units off the GUI thread, asks where there are several, and
    // then emits picked() or cancelled(). Ignored while a listing runs.
    void pickUnit();

signals:
    // The unit to work on; empty with one unit or none attached: the run
    // then finds it as it always has.
    void picked(QString port);
    void cancelled();

private:
    void offer();

    Ui::UnitPickerDialog *ui;
    QThread *lister = nullptr;
    QList<attachedunits::Unit> units;
};
