#include "usercells.h"

#include "devicetypes.h"

#include <QDebug>

#include <cstring>

namespace usercells {

uint16_t transmissionModeId(uint8_t side)
{
    return side == VX_ZYRA_TX ? 8 : 7;
}

uint16_t frequencyChannelsId(uint8_t side)
{
    return side == VX_ZYRA_TX ? 127 : 118;
}

namespace {

// vx_zyra_storage_get copies the whole answer, up to a full response.
const size_t storageAnswerBytes = 64;

}  // namespace

Read read(vx_zyra_t *handle, uint16_t id, uint8_t *dest, size_t length, bool *answered)
{
    if (answered)
        *answered = false;
    uint8_t answer[storageAnswerBytes] = {};
    size_t answerLength = length;
    vx_zyra_storage_get(handle, id, answer, &answerLength);
    answerLength = length;
    if (vx_zyra_storage_get(handle, id, answer, &answerLength) != VX_ZYRA_OK)
        return Read::unreadable;
    if (answerLength == 0) {
        qDebug() << "STORAGE CELL" << id << "NEVER SET";
        std::memset(dest, 0, length);
        return Read::unset;
    }
    if (answerLength != length) {
        qDebug() << "STORAGE CELL" << id << "ANSWERED" << answerLength << "BYTES, EXPECTED" << length;
        if (answered)
            *answered = true;
        return Read::unreadable;
    }
    std::memcpy(dest, answer, length);
    return Read::value;
}

uint8_t regionCarriedOver(int deviceType, uint8_t region)
{
    if (deviceType != DeviceTypes::TwoKReceiver || region < 7 || region > 9)
        return region;
    return static_cast<uint8_t>(region - 5);
}

QString hex(const uint8_t *bytes, size_t length)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), static_cast<int>(length)).toHex().toUpper();
}

}  // namespace usercells
