#include "unitconnection.h"

#include "workerclock.h"

#include <QDebug>

int connectWithPauses(vx_zyra_t *handle, int attempts, int pauseSeconds, const char *retryTrace)
{
    int result = VX_ZYRA_FAILED;
    for (int attempt = 0; attempt < attempts && result != VX_ZYRA_OK; ++attempt) {
        qDebug() << (retryTrace ? retryTrace : "trying to connect");
        result = vx_zyra_connect(handle);
        qDebug() << result;
        workerclock::sleepSeconds(pauseSeconds);
    }
    return result;
}
