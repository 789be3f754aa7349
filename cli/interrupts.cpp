#include "interrupts.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};

void onSigint(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
}

}  // namespace

Interrupts::Interrupts(QObject *parent) : QObject(parent)
{
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &Interrupts::deliverPending);
    struct sigaction action {
    };
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    // A Ctrl-C that reached the program while it started, with SIGINT
    // blocked by its parent, is handled from here on.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
}

void Interrupts::deliverPending()
{
    char byte;
    while (pipeEnds[0] >= 0 && read(pipeEnds[0], &byte, 1) == 1)
        emit interrupted(++count_);
}

Interrupts::~Interrupts()
{
    std::signal(SIGINT, SIG_DFL);
}
