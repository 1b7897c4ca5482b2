#pragma once

// Helpers shared by the logging tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>
#include <unistd.h>

// Sends everything written to file descriptor 2 into a temporary file while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        file_.open();
        std::fflush(stderr);
        saved_ = ::dup(2);
        ::dup2(file_.handle(), 2);
    }
    ~StderrCapture() { release(); }

    // What was written so far; the capture goes on.
    QByteArray text()
    {
        std::fflush(stderr);
        QFile reader(file_.fileName());
        reader.open(QIODevice::ReadOnly);
        return reader.readAll();
    }

    void release()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }

private:
    QTemporaryFile file_;
    int saved_ = -1;
};

// Puts back the message handler in place at construction (Qt Test's own),
// since a destroyed logger resets the handler to Qt's default.
class HandlerRestore
{
public:
    HandlerRestore()
        : saved_(qInstallMessageHandler(nullptr))
    {
        qInstallMessageHandler(saved_);
    }
    ~HandlerRestore() { qInstallMessageHandler(saved_); }
    QtMessageHandler saved() const { return saved_; }

private:
    QtMessageHandler saved_;
};

// Writes path as an ini file with one group "logging" of "key=value" lines,
// creating its directory. Returns false when it cannot be written.
inline bool writeLoggingIni(const QString& path, const QStringList& lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write("[logging]\n" + lines.join(QLatin1Char('\n')).toUtf8() + "\n");
    return true;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A temporary folder holding a logging ini, and settings positioned in its group.
class LoggingIni
{
public:
    explicit LoggingIni(const QStringList& lines,
                        const QString& relativePath = QStringLiteral("logging.ini"))
        : path_(dir_.path() + QLatin1Char('/') + relativePath)
        , valid_(dir_.isValid() && writeLoggingIni(path_, lines))
    {
    }

    bool isValid() const { return valid_; }
    QString dir() const { return dir_.path(); }
    QString path() const { return path_; }
    QString file(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    bool rewrite(const QStringList& lines) { return writeLoggingIni(path_, lines); }

    // Made on first use, so a forked child makes its own.
    QSettings* settings()
    {
        if (!settings_) {
            settings_.reset(new QSettings(path_, QSettings::IniFormat));
            settings_->beginGroup(QStringLiteral("logging"));
        }
        return settings_.get();
    }

private:
    QTemporaryDir dir_;
    QString path_;
    bool valid_;
    std::unique_ptr<QSettings> settings_;
};
