#pragma once

#include <QJsonObject>
#include <QUrl>
#include <QtGlobal>

#include <functional>

namespace qhttp {
namespace client {
class QHttpRequest;
}
} // namespace qhttp

namespace vesk {
namespace pc {

// One cloud request on the calling thread: a POST of one compact JSON
// object, run in a local event loop that ends on the checked reply, on any
// failure of the exchange, on the connecting time-out, on the guard or when
// the caller's stop question says so.
class CloudExchange
{
public:
    enum Outcome {
        NotStarted = 0,  // the URL is empty, invalid or not http
        Good = 1,        // a 200 reply with "errorcode" 200
        BadReply = 2,    // another status, no JSON object, or an error code
        Failed = 3,      // refused, broken, cut short or too large
        ConnectingTimeOut = 4,
        GuardTimeOut = 5,
        Stopped = 6,
    };

    static constexpr int kConnectingTimeOutMs = 5000;
    static constexpr int kGuardMs = 6000;
    static constexpr int kStopPollMs = 50;

    struct Request
    {
        QUrl url;
        // Called once connected, so that a task adds its last keys then.
        std::function<QJsonObject()> body;
        const char* connectingWarning = "Connecting timeout";
        QtMsgType reasonLevel = QtCriticalMsg;
        std::function<bool()> stopRequested;
        int guardMs = kGuardMs;
    };

    // On Good, *reply is the reply's object; otherwise it is empty.
    static Outcome post(const Request& request, QJsonObject* reply);
    // The headers and the compact body of a cloud post; ends the request.
    static void sendJson(qhttp::client::QHttpRequest* request, const QJsonObject& object);

private:
    static Outcome exchange(const Request& request, QJsonObject* reply);
};

} // namespace pc
} // namespace vesk
