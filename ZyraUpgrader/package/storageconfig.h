// One side's group of storage.ini: whether to restore the unit's store to
// its defaults, and the cells to write, read and checked as a whole before
// anything is written.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>

struct StorageCellValue {
    uint16_t id = 0;
    QVector<uint8_t> bytes;
    // As written in the file, for the log: one number, or the list elements.
    QStringList texts;
    bool isList = false;
};

struct StorageGroup {
    bool restore = false;
    QVector<StorageCellValue> cells;  // in the order QSettings lists the keys
    QString error;                    // set when a value cannot be written as it stands
};

// A cell holds at most this many bytes from storage.ini.
const int maxStorageValueBytes = 16;

// Reads the group the settings object is in. A key that is not a decimal
// number is skipped with a log line; a value that is not a decimal number or
// a list of at most 16 of them makes the whole group unusable.
StorageGroup readStorageGroup(const QSettings &settings);
