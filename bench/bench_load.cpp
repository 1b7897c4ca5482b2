// The local firmware server under load: 200 slow clients, each trickling
// its request a byte at a time, and 200 fast clients asking "/query" again
// and again, all at once on 127.0.0.1 for a bounded time. Prints, for each
// kind, the requests made, the answers (status 200), the other statuses,
// the refusals (closed or refused without an answer) and the server's peak
// memory. A refusal is the server's 503 "busy" answer past its connection
// limit, or a connection closed or refused without an answer; a refused
// client tries again after 100 ms. The server runs as a child process, so
// the peak is its own.
//
//   build/bench/bench_load [seconds]
//
// Default: 20 s of requests, then at most 12 s for those still under way.

#include "BenchSupport.h"
#include "LocalServerChild.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace bench;

namespace {

constexpr int kClientsPerKind = 200;
constexpr int kTrickleMs = 50;  // a slow client's pause between two bytes
constexpr int kDrainMs = 12000; // longer than the server's 10 s head time-out
constexpr int kRetryMs = 100;   // after a refusal

const QByteArray kRequest = "GET /query?cmd=1&product=Bench&branch=main&platform=linux&status=release"
                            "&version=1.0.0.0 HTTP/1.1\r\nHost: pc\r\nConnection: close\r\n\r\n";

struct Counts
{
    int requests = 0;
    int answers = 0;
    int otherStatus = 0;
    int refusals = 0;
};

// One client: a request per connection, again until the end of the run.
class Client : public QObject
{
public:
    Client(quint16 port, bool slow, Counts* counts, const QElapsedTimer* clock, qint64 untilMs)
        : port_(port), slow_(slow), counts_(counts), clock_(clock), untilMs_(untilMs)
    {
        connect(&socket_, &QTcpSocket::connected, this, [this] { sendNext(); });
        connect(&socket_, &QTcpSocket::readyRead, this, [this] { answer_ += socket_.readAll(); });
        connect(&socket_, &QTcpSocket::disconnected, this, [this] { finish(); });
        connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
            if (error != QAbstractSocket::RemoteHostClosedError)
                finish();
        });
        trickle_.setInterval(kTrickleMs);
        connect(&trickle_, &QTimer::timeout, this, [this] { sendNext(); });
        start();
    }
    bool busy() const { return busy_; }

private:
    void start()
    {
        if (clock_->elapsed() >= untilMs_)
            return;
        busy_ = true;
        sent_ = 0;
        answer_.clear();
        ++counts_->requests;
        socket_.connectToHost(QHostAddress::LocalHost, port_);
    }
    void sendNext()
    {
        const int piece = slow_ ? 1 : kRequest.size();
        socket_.write(kRequest.mid(sent_, piece));
        sent_ += piece;
        if (slow_ && sent_ < kRequest.size())
            trickle_.start();
        else
            trickle_.stop();
    }
    void finish()
    {
        if (!busy_)
            return;
        busy_ = false;
        trickle_.stop();
        if (socket_.isOpen())
            answer_ += socket_.readAll();
        socket_.abort();
        int retryMs = 0;
        if (answer_.startsWith("HTTP/1.1 200")) {
            ++counts_->answers;
        } else if (answer_.startsWith("HTTP/") && !answer_.startsWith("HTTP/1.1 503")) {
            ++counts_->otherStatus;
        } else {
            ++counts_->refusals;
            retryMs = kRetryMs;
        }
        QTimer::singleShot(retryMs, this, [this] { start(); });
    }

    QTcpSocket socket_;
    QTimer trickle_;
    const quint16 port_;
    const bool slow_;
    Counts* counts_;
    const QElapsedTimer* clock_;
    const qint64 untilMs_;
    QByteArray answer_;
    int sent_ = 0;
    bool busy_ = false;
};

void printRow(const char* kind, const Counts& c, double seconds)
{
    std::printf("%-5s  %8d  %8d  %8d  %8d  %8.1f\n", kind, c.requests, c.answers, c.otherStatus, c.refusals,
                c.answers / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int code = 0;
    if (runServeChild(argc, argv, &code))
        return code;
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir dir;
    const QString store = dir.filePath("store");
    if (!dir.isValid() || !QDir().mkpath(store)
        || writePackage(store + "/Bench_main_linux_1.0.0.1_release.bin", 1 << 20).isEmpty()) {
        std::fprintf(stderr, "cannot write the store\n");
        return 1;
    }
    const quint16 port = freePort();
    const QString home = dir.filePath("home");
    Child server = spawn(QCoreApplication::applicationFilePath(), {"--serve", store + "/", QString::number(port)},
                         {"HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share",
                          "XDG_CONFIG_HOME=" + home + "/.config"});
    if (server.pid <= 0 || !waitForPort(port)) {
        std::fprintf(stderr, "the local server did not start\n");
        reap(server);
        return 1;
    }

    Counts slow;
    Counts fast;
    QElapsedTimer clock;
    clock.start();
    const qint64 untilMs = qint64(seconds) * 1000;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < kClientsPerKind; ++i) {
        clients.emplace_back(new Client(port, true, &slow, &clock, untilMs));
        clients.emplace_back(new Client(port, false, &fast, &clock, untilMs));
    }
    const auto anyBusy = [&] {
        return std::any_of(clients.begin(), clients.end(), [](const auto& c) { return c->busy(); });
    };
    while (clock.elapsed() < untilMs || (anyBusy() && clock.elapsed() < untilMs + kDrainMs))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double elapsed = clock.elapsed() / 1000.0;
    const bool unfinished = anyBusy();
    clients.clear();
    const long peakKiB = reap(server);

    std::printf("%d slow and %d fast clients on 127.0.0.1 for %d s (%.1f s with the last answers)\n\n",
                kClientsPerKind, kClientsPerKind, seconds, elapsed);
    std::printf("kind   requests   answers     other  refusals  answers/s\n");
    printRow("slow", slow, elapsed);
    printRow("fast", fast, elapsed);
    std::printf("\nserver peak memory: %ld MiB%s\n", peakKiB / 1024,
                unfinished ? " (some requests were still under way at the end)" : "");
    return fast.answers > 0 ? 0 : 1;
}
