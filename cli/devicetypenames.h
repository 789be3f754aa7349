// The names zyra and scripts/demo give the unit types.
#pragma once

#include <QString>
#include <QStringList>

QStringList deviceTypeNames();
// -1 for a name that is none of them.
int deviceTypeOf(const QString &name);
QString deviceTypeName(int type);
