// zyra-upgrader [PACKAGE_FOLDER]: starts the window program with the firmware
// package folder as its working folder. Without a folder, the working folder
// is used when it holds a package; otherwise the desktop's folder dialog asks
// for one until a package folder is chosen or the dialog is cancelled.
#include "packagefolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const char usage[] = "usage: zyra-upgrader [--help | --version | PACKAGE_FOLDER]\n"
                     "  PACKAGE_FOLDER holds firmware/firmware.ini and/or firmware2k/firmware.ini\n";

QString askForPackage()
{
    QString start = QDir::homePath();
    for (;;) {
        const QString chosen = QFileDialog::getExistingDirectory(nullptr, "Choose the firmware package folder", start);
        if (chosen.isEmpty())
            return {};
        if (packagefolder::holdsPackage(chosen))
            return chosen;
        QMessageBox::warning(nullptr, "ZYRA Utility",
                             QString("%1 holds no firmware package.\n\nChoose the folder that holds \"firmware\" "
                                     "or \"firmware2k\" with its firmware.ini.")
                                 .arg(QDir::toNativeSeparators(chosen)));
        start = chosen;
    }
}

// The launcher's own folder, known before any Qt application object exists.
QString launcherDir()
{
    return QFileInfo(QFileInfo("/proc/self/exe").canonicalFilePath()).path();
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        std::fputs("See zyra-upgrader(1); zyra(1) is the same update from a shell.\n", stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("zyra-upgrader " ZYRA_VERSION);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs(usage, stderr);
        return 2;
    }

    QString folder;
    if (argc == 2) {
        folder = QFile::decodeName(argv[1]);
        if (!packagefolder::holdsPackage(folder)) {
            std::fprintf(stderr, "zyra-upgrader: %s holds no firmware package\n%s", argv[1], usage);
            return 2;
        }
    } else if (packagefolder::holdsPackage(QDir::currentPath())) {
        folder = QDir::currentPath();
    } else {
        QApplication application(argc, argv);
        folder = askForPackage();
        if (folder.isEmpty())
            return 1;
    }

    const QByteArray program = QFile::encodeName(QDir::cleanPath(launcherDir() + "/" + ZYRA_PROGRAM_FROM_LAUNCHER));
    if (!QDir::setCurrent(folder)) {
        std::fprintf(stderr, "zyra-upgrader: cannot enter %s\n", QFile::encodeName(folder).constData());
        return 1;
    }
    char *const arguments[] = {const_cast<char *>(program.constData()), nullptr};
    execv(program.constData(), arguments);
    std::fprintf(stderr, "zyra-upgrader: cannot start %s: %s\n", program.constData(), std::strerror(errno));
    return 127;
}
