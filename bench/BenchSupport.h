#pragma once

// What the benchmark programs share: generated package files, free ports on
// 127.0.0.1, a local nginx with a configuration of its own, and child
// processes whose peak memory is read from wait4 when they end.

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// Writes size bytes of changing content in blocks; returns the MD5 as hex,
// empty on failure.
inline QByteArray writePackage(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QByteArray();
    QCryptographicHash md5(QCryptographicHash::Md5);
    QByteArray block(1 << 20, '\0');
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (qint64 done = 0; done < size; done += block.size()) {
        for (int i = 0; i + 8 <= block.size(); i += 8) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            std::memcpy(block.data() + i, &state, 8);
        }
        const QByteArray piece = block.left(int(std::min<qint64>(block.size(), size - done)));
        md5.addData(piece);
        if (file.write(piece) != piece.size())
            return QByteArray();
    }
    return md5.result().toHex();
}

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Waits up to 5 s for something to accept connections on the port.
inline bool waitForPort(quint16 port)
{
    for (int i = 0; i < 100; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(100))
            return true;
        QThread::msleep(50);
    }
    return false;
}

inline QString nginxProgram()
{
    return QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/usr/bin", "/sbin"});
}

// One nginx process (no master, one worker, sendfile) on 127.0.0.1:port
// serving root/www, with its files under root; linkMib > 0 limits its rate.
inline QByteArray nginxConfig(const QString& root, quint16 port, const QByteArray& locations, int linkMib = 0)
{
    const QByteArray r = QFile::encodeName(root);
    const QByteArray limit = linkMib > 0 ? "  limit_rate " + QByteArray::number(linkMib << 20) + ";\n" : "";
    return "daemon off;\nmaster_process off;\nworker_processes 1;\npid " + r + "/nginx.pid;\n"
           "error_log " + r + "/error.log;\nevents { worker_connections 64; }\nhttp {\n"
           "  access_log off;\n  sendfile on;\n" + limit + "  client_body_temp_path " + r + "/tmp;\n"
           "  proxy_temp_path " + r + "/tmp;\n  fastcgi_temp_path " + r + "/tmp;\n"
           "  uwsgi_temp_path " + r + "/tmp;\n  scgi_temp_path " + r + "/tmp;\n"
           "  server {\n    listen 127.0.0.1:" + QByteArray::number(port) + ";\n    root " + r + "/www;\n"
           + locations + "  }\n}\n";
}

// A process of ours, started with fork and execve.
struct Child
{
    pid_t pid = -1;
};

// Starts program with arguments; env entries ("NAME=value") are added to
// this process's environment.
inline Child spawn(const QString& program, const QStringList& arguments, const QStringList& env = {})
{
    std::vector<QByteArray> store{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        store.push_back(argument.toLocal8Bit());
    const size_t argc = store.size();
    for (char** e = environ; *e; ++e)
        store.push_back(QByteArray(*e));
    for (const QString& entry : env)
        store.push_back(entry.toLocal8Bit());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (size_t i = 0; i < store.size(); ++i)
        (i < argc ? argv : envp).push_back(store[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return child;
}

// Ends the child with signal and returns its peak resident memory in KiB;
// -1 when it was not running.
inline long reap(Child& child, int signal = SIGTERM)
{
    if (child.pid <= 0)
        return -1;
    kill(child.pid, signal);
    int status = 0;
    rusage usage = {};
    const pid_t ended = wait4(child.pid, &status, 0, &usage);
    child.pid = -1;
    return ended > 0 ? usage.ru_maxrss : -1;
}

} // namespace bench
