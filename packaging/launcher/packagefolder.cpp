#include "packagefolder.h"

#include <QDir>
#include <QFileInfo>

namespace packagefolder {

bool holdsPackage(const QString &folder)
{
    const QDir dir(folder);
    for (const char *firmwareDir : {"firmware", "firmware2k"}) {
        if (QFileInfo(dir.filePath(QString(firmwareDir) + "/firmware.ini")).isFile())
            return true;
    }
    return false;
}

}  // namespace packagefolder
