#include "unitconnection.h"

#include "unitbench.h"
#include "workerclock.h"

#include <QDebug>

int connectUnit(vx_zyra_t *handle, const QString &portPath)
{
    if (portPath.isEmpty())
        return vx_zyra_connect(handle);
    // The radio behind the chosen unit's hub, which may be the chosen port
    // itself, or the one that came up after the unit's video module started.
    const QString radio = UnitBench::attached().radioOf(portPath);
    return vx_zyra_connect_port(handle, (radio.isEmpty() ? portPath : radio).toLatin1().constData());
}

int connectWithPauses(vx_zyra_t *handle, const QString &portPath, int attempts, int pauseSeconds,
                      const char *retryTrace)
{
    int result = VX_ZYRA_FAILED;
    for (int attempt = 0; attempt < attempts && result != VX_ZYRA_OK; ++attempt) {
        qDebug() << (retryTrace ? retryTrace : "trying to connect") << portPath;
        result = connectUnit(handle, portPath);
        qDebug() << result;
        workerclock::sleepSeconds(pauseSeconds);
    }
    return result;
}
