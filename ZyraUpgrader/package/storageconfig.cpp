#include "storageconfig.h"

#include <QDebug>

namespace {

bool parseByte(const QString &text, uint8_t *value)
{
    bool ok = false;
    const uint number = text.trimmed().toUInt(&ok, 10);
    *value = static_cast<uint8_t>(number);
    return ok;
}

}  // namespace

StorageGroup readStorageGroup(const QSettings &settings)
{
    StorageGroup group;
    group.restore = settings.value("restore", false).toBool();
    for (const QString &key : settings.allKeys()) {
        if (key == QLatin1String("restore"))
            continue;
        bool keyIsNumber = false;
        const uint id = key.toUInt(&keyIsNumber, 10);
        if (!keyIsNumber) {
            qDebug() << "SKIPPING STORAGE KEY" << key << "(not a storage id)";
            continue;
        }
        StorageCellValue cell;
        cell.id = static_cast<uint16_t>(id);
        const QVariant value = settings.value(key);
        const QString single = value.toString();
        cell.isList = single.isEmpty();
        cell.texts = cell.isList ? value.toStringList() : QStringList{single};
        if (cell.texts.size() > maxStorageValueBytes) {
            group.error = QString("storage id %1: more than %2 values").arg(key).arg(maxStorageValueBytes);
            return group;
        }
        for (const QString &text : cell.texts) {
            uint8_t byte = 0;
            if (!parseByte(text, &byte)) {
                group.error = QString("storage id %1: \"%2\" is not a decimal number").arg(key, text);
                return group;
            }
            cell.bytes.append(byte);
        }
        group.cells.append(cell);
    }
    return group;
}
