#include "HttpPipe.h"

#include "http/QHttpConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vesk {
namespace pc {
namespace fuzz {

namespace {

constexpr int kQuietMs = 10;

// Reads what the connection has answered so far without waiting.
void drain(int fd, QByteArray* answer)
{
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        answer->append(buffer, int(got));
}

// Writes as much as the socket takes now; the rest waits for later passes.
void push(int fd, const QByteArray& bytes, int* sent)
{
    while (*sent < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + *sent, size_t(bytes.size() - *sent));
        if (put <= 0)
            return;
        *sent += int(put);
    }
}

} // namespace

QByteArray serveOnce(const QByteArray& request, const qhttp::server::TServerHandler& handler, int maxMs,
                     const std::function<bool()>& busy)
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return QByteArray();
    const int peer = fds[1];
    ::fcntl(peer, F_SETFL, O_NONBLOCK);
    QPointer<qhttp::server::QHttpConnection> connection = new qhttp::server::QHttpConnection(nullptr);
    connection->onHandler(handler);
    connection->setSocketDescriptor(fds[0], qhttp::ELocalSocket);

    QByteArray answer;
    int sent = 0;
    bool closed = false;
    QElapsedTimer timer, quiet;
    timer.start();
    quiet.start();
    while (connection && timer.elapsed() < maxMs) {
        const int before = sent + answer.size();
        push(peer, request, &sent);
        // The peer stops sending once it has an answer or nothing moves.
        if (sent == request.size() && !closed && (!answer.isEmpty() || quiet.elapsed() > kQuietMs)) {
            ::shutdown(peer, SHUT_WR);
            closed = true;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        drain(peer, &answer);
        if (sent + answer.size() != before || (busy && busy()))
            quiet.restart();
    }
    delete connection.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ::close(peer);
    return answer;
}

} // namespace fuzz
} // namespace pc
} // namespace vesk
