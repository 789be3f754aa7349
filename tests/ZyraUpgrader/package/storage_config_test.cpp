// Reading one side's group of storage.ini.
#include "storageconfig.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

StorageGroup readGroup(const QByteArray &ini)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("storage.ini");
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(ini);
    out.close();
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup("STORAGE_TX");
    return readStorageGroup(settings);
}

QVector<uint8_t> bytes(std::initializer_list<uint8_t> list)
{
    return QVector<uint8_t>(list);
}

TEST(StorageConfig, SingleValuesAndListsBecomeBytesInKeyOrder)
{
    const StorageGroup group = readGroup("[STORAGE_TX]\n200=3\n5=1, 2, 300\n70000=9\n[STORAGE_RX]\n9=9\n");
    ASSERT_EQ(group.error, "");
    EXPECT_FALSE(group.restore);
    ASSERT_EQ(group.cells.size(), 3);
    // QSettings lists keys sorted as text.
    EXPECT_EQ(group.cells[0].id, 200);
    EXPECT_EQ(group.cells[0].bytes, bytes({3}));
    EXPECT_FALSE(group.cells[0].isList);
    EXPECT_EQ(group.cells[1].id, 5);
    EXPECT_EQ(group.cells[1].bytes, bytes({1, 2, 44})) << "300 keeps its low 8 bits";
    EXPECT_TRUE(group.cells[1].isList);
    EXPECT_EQ(group.cells[2].id, 70000 & 0xFFFF);
}

TEST(StorageConfig, RestoreIsAFlagAndKeysThatAreNoIdsAreSkipped)
{
    const StorageGroup group = readGroup("[STORAGE_TX]\nrestore=true\nRestore=1\nname=4\n12=7\n");
    ASSERT_EQ(group.error, "");
    EXPECT_TRUE(group.restore);
    ASSERT_EQ(group.cells.size(), 1);
    EXPECT_EQ(group.cells[0].id, 12);
}

TEST(StorageConfig, ValuesThatCannotBeWrittenAsTheyStandSpoilTheGroup)
{
    EXPECT_EQ(readGroup("[STORAGE_TX]\n7=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\n").error, "");
    EXPECT_NE(readGroup("[STORAGE_TX]\n7=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n").error, "");
    EXPECT_NE(readGroup("[STORAGE_TX]\n7=fast\n").error, "");
    EXPECT_NE(readGroup("[STORAGE_TX]\n7=1, x\n").error, "");
}

}  // namespace
