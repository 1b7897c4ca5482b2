#include "uvc/CameraHttpCall.h"

#include "http/QHttpClient.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace qhttp::client;

namespace vesk {
namespace pc {

namespace {

const char* const kOutcomeNames[] = {"not started", "completed", "connecting time-out",
                                     "idle time-out", "total time-out", "failed", "aborted"};
// The caller waits this much beyond the call's own limits before it gives
// the exchange up (a worker that cannot run its timers).
constexpr int kCallerGraceMs = 2000;
constexpr int kExitWaitMs = 3000;

// What the caller and the worker share. The caller may leave before the
// worker has finished (only when the worker is stuck); from then on none of
// the caller's callbacks is called again.
struct CallState
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool callerGone = false;
    CameraHttpCall::Result result;
};

// The thread every exchange runs on, with its own event loop: started on
// first use, ended by stopWorker or at exit.
class HttpWorker
{
public:
    static HttpWorker& get()
    {
        static HttpWorker worker;
        return worker;
    }
    ~HttpWorker() { stop(kExitWaitMs); }

    bool post(std::function<void()> work)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_) {
            thread_ = new QThread;
            thread_->setObjectName(QStringLiteral("CameraHttp"));
            context_ = new QObject;
            context_->moveToThread(thread_);
            thread_->start();
        }
        return QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
    }

    bool isWorkerThread() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return thread_ && QThread::currentThread() == thread_;
    }

    bool stop(int waitMs)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_)
            return true;
        thread_->quit();
        if (!thread_->wait(ulong(qMax(waitMs, 0)))) {
            // Deleting a running thread would abort; it is left to the exit.
            qWarning() << "Camera HTTP thread still running after" << waitMs << "ms";
            thread_ = nullptr;
            context_ = nullptr;
            return false;
        }
        delete context_;
        delete thread_;
        context_ = nullptr;
        thread_ = nullptr;
        qDebug() << "Camera HTTP thread stopped";
        return true;
    }

private:
    HttpWorker() = default;

    mutable std::mutex mutex_;
    QThread* thread_ = nullptr;
    QObject* context_ = nullptr;
};

// What an exchange needs, copied from the call: the caller's object is not
// touched on the worker.
struct Request
{
    QString operation;
    CameraHttpCall::Limits limits;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    CameraHttpCall::HeadCheck headCheck;
    CameraHttpCall::BodySink sink;
};

// One exchange on the worker's thread; ends once, then deletes itself.
class Exchange : public QObject
{
public:
    Exchange(const Request& request, std::shared_ptr<CallState> state)
        : request_(request)
        , state_(std::move(state))
    {
        idle_.setSingleShot(true);
        idle_.setInterval(qMax(request_.limits.idleMs, 1));
        total_.setSingleShot(true);
        total_.setInterval(qMax(request_.limits.totalMs, 1));
        connect(&idle_, &QTimer::timeout, this, [this] { finish(CameraHttpCall::IdleTimeout); });
        connect(&total_, &QTimer::timeout, this, [this] { finish(CameraHttpCall::TotalTimeout); });
        connect(&client_, &QHttpClient::connectingTimeOut, this, [this] {
            qWarning().noquote() << "Connecting timeout: " + request_.operation + " failed";
            finish(CameraHttpCall::ConnectTimeout);
        });
        connect(&client_, &QHttpClient::failed, this,
                [this](const QString& reason) { finish(CameraHttpCall::Failed, reason); });
    }

    ~Exchange() override
    {
        QObject::disconnect(&client_, nullptr, nullptr, nullptr);
        client_.killConnection();
    }

    void start(qhttp::THttpMethod method, const QUrl& url)
    {
        const auto onRequest = [this](QHttpRequest* request) { sendRequest(request); };
        const auto onResponse = [this](QHttpResponse* response) { readResponse(response); };
        if (!client_.request(method, url, onRequest, onResponse)) {
            finish(CameraHttpCall::NotStarted);
            return;
        }
        client_.setConnectingTimeOut(quint32(qMax(request_.limits.connectMs, 1)));
        idle_.start();
        total_.start();
    }

private:
    void sendRequest(QHttpRequest* request)
    {
        idle_.start();
        for (const auto& header : qAsConst(request_.headers))
            request->addHeader(header.first, header.second);
        request->end(request_.body);
    }

    void readResponse(QHttpResponse* response)
    {
        idle_.start();
        result_.status = response->status();
        result_.headers = response->headers();
        if (request_.headCheck
            && !callerSays([this] { return request_.headCheck(result_.status, result_.headers); })) {
            finish(CameraHttpCall::Aborted, QStringLiteral("response head refused"));
            return;
        }
        if (request_.sink) {
            connect(response, &QHttpResponse::data, this, [this](const QByteArray& chunk) {
                idle_.start();
                if (!done_ && !callerSays([this, &chunk] { return request_.sink(chunk); }))
                    finish(CameraHttpCall::Aborted, QStringLiteral("body refused"));
            });
        } else {
            response->collectData(int(qMin<qint64>(request_.limits.maxBodyBytes, INT_MAX)));
        }
        connect(response, &QHttpResponse::end, this, [this, response] {
            if (!request_.sink)
                result_.body = response->collectedData();
            finish(CameraHttpCall::Completed);
        });
        connect(response, &QHttpResponse::failed, this,
                [this](const QString& reason) { finish(CameraHttpCall::Failed, reason); });
    }

    // A callback of the caller, only while the caller still waits.
    bool callerSays(const std::function<bool()>& ask)
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        return !state_->callerGone && ask();
    }

    // Later calls (a late end after a time-out) do nothing.
    void finish(CameraHttpCall::Outcome outcome, const QString& reason = QString())
    {
        if (done_)
            return;
        done_ = true;
        idle_.stop();
        total_.stop();
        result_.outcome = outcome;
        result_.reason = reason;
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->result = result_;
            state_->done = true;
        }
        state_->ended.notify_all();
        deleteLater();
    }

    Request request_;
    std::shared_ptr<CallState> state_;
    CameraHttpCall::Result result_;
    bool done_ = false;
    QTimer idle_;
    QTimer total_;
    // Declared last so that it goes first, before anything its signals reach.
    QHttpClient client_;
};

} // namespace

CameraHttpCall::CameraHttpCall(const QString& operation, const Limits& limits)
    : operation_(operation)
    , limits_(limits)
{
}

void CameraHttpCall::addHeader(const QByteArray& field, const QByteArray& value)
{
    headers_.append(qMakePair(field, value));
}

const char* CameraHttpCall::outcomeName(Outcome outcome)
{
    return kOutcomeNames[int(outcome)];
}

bool CameraHttpCall::stopWorker(int waitMs)
{
    return HttpWorker::get().stop(waitMs);
}

CameraHttpCall::Result CameraHttpCall::run(qhttp::THttpMethod method, const QUrl& url)
{
    HttpWorker& worker = HttpWorker::get();
    if (url.host().isEmpty() || worker.isWorkerThread())
        return Result();
    const Request request{operation_, limits_, headers_, body_, headCheck_, sink_};
    auto state = std::make_shared<CallState>();
    if (!worker.post([request, state, method, url] { (new Exchange(request, state))->start(method, url); }))
        return Result();

    const int boundMs = qMax(limits_.totalMs, limits_.connectMs) + kCallerGraceMs;
    Result result;
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        if (!state->ended.wait_for(lock, std::chrono::milliseconds(boundMs), [&state] { return state->done; })) {
            state->callerGone = true;
            state->result.outcome = TotalTimeout;
            state->result.reason = QStringLiteral("no end from the HTTP thread");
        }
        result = state->result;
    }
    if (result.outcome != Completed && result.outcome != NotStarted)
        qWarning().noquote() << operation_ << "ended:" << outcomeName(result.outcome) << result.reason;
    return result;
}

} // namespace pc
} // namespace vesk
