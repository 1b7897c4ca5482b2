#include "main/TermSignals.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor; the notifier reads it on the
// main thread.
int gSignalFds[2] = {-1, -1};
const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

TermSignals::TermSignals(QObject* parent)
    : QObject(parent)
{
    if (gSignalFds[0] >= 0) {
        qWarning() << "Signal handling is already installed";
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalFds) != 0) {
        qWarning() << "socketpair failed, errno =" << errno;
        return;
    }
    ::fcntl(gSignalFds[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(gSignalFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TermSignals::onReadable);

    struct sigaction action = {};
    action.sa_handler = &TermSignals::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : kSignals)
        ::sigaction(sig, &action, nullptr);
}

TermSignals::~TermSignals()
{
    if (!notifier_)
        return;
    for (int sig : kSignals)
        ::signal(sig, SIG_DFL);
    delete notifier_;
    ::close(gSignalFds[0]);
    ::close(gSignalFds[1]);
    gSignalFds[0] = gSignalFds[1] = -1;
}

void TermSignals::handler(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    const int saved = errno;
    if (::write(gSignalFds[1], &byte, 1) < 0) {
        // Nothing can be done inside a handler; a full pipe already carries a request.
    }
    errno = saved;
}

void TermSignals::onReadable()
{
    unsigned char byte = 0;
    if (::read(gSignalFds[0], &byte, 1) != 1)
        return;
    qInfo() << "Received signal" << int(byte) << ", closing";
    emit received(int(byte));
}
