#include "devicetypenames.h"

QStringList deviceTypeNames()
{
    // In the order of the program's type values.
    return {"hdmi-tx", "sdi-tx", "hdmi-rx", "sdi-rx", "2k-tx", "2k-rx"};
}

int deviceTypeOf(const QString &name)
{
    return deviceTypeNames().indexOf(name.toLower());
}

QString deviceTypeName(int type)
{
    return deviceTypeNames().value(type);
}
