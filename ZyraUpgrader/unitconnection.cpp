#include "unitconnection.h"

#include "workerclock.h"

#include <QDebug>

int connectWithPauses(vx_zyra_t *handle, int attempts, int pauseSeconds)
{
    int result = 1;
    for (int attempt = 0; attempt < attempts && result != 0; ++attempt) {
        qDebug() << "trying to connect, attempt" << attempt + 1;
        result = vx_zyra_connect(handle);
        workerclock::sleepSeconds(pauseSeconds);
    }
    return result;
}
