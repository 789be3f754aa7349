// The launcher laid out as installed, with a stand-in window program that
// reports the folder it was started in: which folder it chooses from its
// argument and working folder, and what it refuses.
#include <gtest/gtest.h>

#include <ostream>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct LauncherRow {
    const char *name;
    QStringList arguments;  // "@" stands for the test's root folder
    const char *workingFolder;
    int exitCode;
    const char *startedIn;  // nullptr: the program must not start
    const char *message;    // part of the launcher's standard error or output
};

const LauncherRow launcherRows[] = {
    {"FolderArgument", {"@/hdmi"}, "plain", 0, "hdmi", ""},
    {"FolderArgumentWith2kPackage", {"@/2k"}, "plain", 0, "2k", ""},
    {"ArgumentWinsOverWorkingFolder", {"@/2k"}, "hdmi", 0, "2k", ""},
    {"WorkingFolderWithPackage", {}, "hdmi", 0, "hdmi", ""},
    {"FirmwareFolderWithoutIni", {"@/no-ini"}, "hdmi", 2, nullptr, "holds no firmware package"},
    {"MissingFolder", {"@/absent"}, "hdmi", 2, nullptr, "holds no firmware package"},
    {"TwoArguments", {"@/hdmi", "@/2k"}, "plain", 2, nullptr, "usage: zyra-upgrader"},
    {"Option", {"--bogus"}, "hdmi", 2, nullptr, "usage: zyra-upgrader"},
    {"Help", {"--help"}, "hdmi", 0, nullptr, "usage: zyra-upgrader"},
    {"Version", {"--version"}, "hdmi", 0, nullptr, "zyra-upgrader " ZYRA_VERSION "\n"},
};

// Names the row in the test's name instead of dumping its bytes.
void PrintTo(const LauncherRow &row, std::ostream *out)
{
    *out << row.name;
}

void writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    ASSERT_TRUE(file.setPermissions(permissions));
}

class Launcher : public testing::TestWithParam<LauncherRow>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        const auto readable = QFile::ReadOwner | QFile::WriteOwner;
        const auto runnable = readable | QFile::ExeOwner;
        launcher = root.filePath("usr/bin/zyra-upgrader");
        ASSERT_TRUE(QDir().mkpath(root.filePath("usr/bin")));
        ASSERT_TRUE(QFile::copy(ZYRA_LAUNCHER, launcher));
        writeFile(root.filePath("usr/lib/zyra-upgrader/bin/ZyraUpgrader"), "#!/bin/sh\npwd -P\n", runnable);
        writeFile(root.filePath("hdmi/firmware/firmware.ini"), "[FIRMWARE_TX]\n", readable);
        writeFile(root.filePath("2k/firmware2k/firmware.ini"), "[FIRMWARE_TX]\n", readable);
        writeFile(root.filePath("no-ini/firmware/storage.ini"), "", readable);
        ASSERT_TRUE(QDir().mkpath(root.filePath("plain")));
    }

    QTemporaryDir root;
    QString launcher;
};

TEST_P(Launcher, StartsTheProgramInThePackageFolderOrRefuses)
{
    const LauncherRow &row = GetParam();
    const QString rootPath = QDir(root.path()).canonicalPath();
    QStringList arguments;
    for (const QString &argument : row.arguments)
        arguments << QString(argument).replace("@", rootPath);

    QProcess process;
    process.setWorkingDirectory(root.filePath(row.workingFolder));
    process.start(launcher, arguments);
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), row.exitCode) << errors.toStdString();
    if (row.startedIn)
        EXPECT_EQ(output, rootPath + "/" + row.startedIn);
    else
        EXPECT_FALSE(output.contains(rootPath)) << "the program started: " << output.toStdString();
    // output is trimmed: a message may end with its line feed.
    EXPECT_TRUE((errors + output + "\n").contains(row.message)) << (errors + output).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, Launcher, testing::ValuesIn(launcherRows),
                         [](const testing::TestParamInfo<LauncherRow> &row) { return std::string(row.param.name); });

}  // namespace
