#include "devicetypes.h"

namespace DeviceTypes {
namespace {

const char *const pictureStems[Count] = {
    "hdmi_tx", "sdi_tx", "hdmi_rx", "sdi_rx", "sdi_2k_tx", "sdi_2k_rx",
};

QString picture(int type, const char *suffix)
{
    if (!isValid(type))
        return QString();
    return QString(":/myresources/Images/%1_%2.png").arg(pictureStems[type], suffix);
}

}  // namespace

bool isValid(int type)
{
    return type >= 0 && type < Count;
}

bool hasVideoModule(int type)
{
    return type != 2 && type != 5;
}

bool isTransmitter(int type)
{
    return type == 0 || type == 1 || type == 4;
}

bool is2K(int type)
{
    return type == 4 || type == 5;
}

QString updatePicture(int type)
{
    return picture(type, "update");
}

QString recoveryPicture(int type)
{
    return picture(type, "recovery");
}

}  // namespace DeviceTypes
