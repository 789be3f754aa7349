// Where the flasher is found: the package's own "utils/dfu-programmer"
// first, then the one installed on PATH, else none.
#include "dfuprogrammer.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

enum class Found {
    inUtils,
    onPath,
    none
};

struct LocateRow {
    const char *name;
    bool inUtils;
    bool onPath;
    Found expected;
};

const LocateRow locateRows[] = {
    {"BothPreferTheUtilsOne", true, true, Found::inUtils},
    {"OnlyUtils", true, false, Found::inUtils},
    {"OnlyPath", false, true, Found::onPath},
    {"Neither", false, false, Found::none},
};

// Names the row in the test's name instead of dumping its bytes.
void PrintTo(const LocateRow &row, std::ostream *out)
{
    *out << row.name;
}

void writeExecutable(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

class LocateDfuProgrammer : public testing::TestWithParam<LocateRow>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        previousDir = QDir::currentPath();
        previousPath = qgetenv("PATH");
        ASSERT_TRUE(QDir(root.path()).mkpath("work/utils"));
        ASSERT_TRUE(QDir(root.path()).mkpath("tools"));
        ASSERT_TRUE(QDir(root.path()).mkpath("empty"));
        ASSERT_TRUE(QDir::setCurrent(root.filePath("work")));
    }

    void TearDown() override
    {
        QDir::setCurrent(previousDir);
        qputenv("PATH", previousPath);
    }

    QTemporaryDir root;
    QString previousDir;
    QByteArray previousPath;
};

TEST_P(LocateDfuProgrammer, FindsTheExpectedOne)
{
    const LocateRow &row = GetParam();
    const QString utilsOne = root.filePath("work/utils/dfu-programmer");
    const QString pathOne = root.filePath("tools/dfu-programmer");
    if (row.inUtils)
        writeExecutable(utilsOne);
    if (row.onPath)
        writeExecutable(pathOne);
    // The machine's own dfu-programmer must not answer for the rows without one.
    qputenv("PATH", QFile::encodeName(root.filePath(row.onPath ? "tools" : "empty")));

    const QString expected = row.expected == Found::inUtils  ? utilsOne
                             : row.expected == Found::onPath ? pathOne
                                                             : QString();
    EXPECT_EQ(DfuProgrammer::locate(), QDir::toNativeSeparators(expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, LocateDfuProgrammer, testing::ValuesIn(locateRows),
                         [](const testing::TestParamInfo<LocateRow> &row) { return std::string(row.param.name); });

}  // namespace
