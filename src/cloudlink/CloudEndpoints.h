#pragma once

#include <QString>
#include <QUrl>

namespace vesk {
namespace pc {

// Where the cloud tasks post: the cloud log server, whose host is the
// setting "log_server_host" (group "cloud_server") on port 10007, and the
// firmware query server, the whole setting "fw_query_url".
class CloudEndpoints
{
public:
    static constexpr quint16 kLogServerPort = 10007;

    // "http://" host ":" port "/" path with exactly one slash before path;
    // an invalid URL when host is empty or no host name.
    static QUrl join(const QString& host, quint16 port, const QString& path);
    // The log server's URL for path; invalid, with a debug line, when no
    // host is configured (reports are then skipped).
    static QUrl logServer(const QString& path);
    static QUrl queryServer();

    // Tests run their fake log server on a port of their own.
    static void setLogServerPort(quint16 port);
    static quint16 logServerPort();
};

} // namespace pc
} // namespace vesk
