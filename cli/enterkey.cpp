#include "enterkey.h"

#include <QSocketNotifier>

#include <unistd.h>

void afterEnter(QObject *owner, std::function<void()> then)
{
    auto *enterKey = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, owner);
    QObject::connect(enterKey, &QSocketNotifier::activated, owner, [enterKey, then = std::move(then)] {
        char byte = 0;
        const bool ended = read(STDIN_FILENO, &byte, 1) <= 0;
        if (!ended && byte != '\n')
            return;
        enterKey->setEnabled(false);
        enterKey->deleteLater();
        then();
    });
}
