#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a signal on the main thread, so the
// program can end through its normal exit (and save its settings) when the
// desktop session ends or the user presses Ctrl+C.
class TermSignals : public QObject
{
    Q_OBJECT
public:
    explicit TermSignals(QObject* parent = nullptr);
    ~TermSignals() override;

    bool isActive() const { return notifier_ != nullptr; }

signals:
    void received(int signalNumber);

private:
    void onReadable();
    static void handler(int signalNumber);

    QSocketNotifier* notifier_ = nullptr;
};
