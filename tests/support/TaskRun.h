#pragma once

// Runs an engine's task to its end while this thread delivers its stream
// frames and reports, and keeps what it reported and the counter as it was
// seen meanwhile.

#include "support/EngineRig.h"
#include "comm/AppPaths.h"
#include "comm/Util.h"
#include "comm/UpgradeCodes.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

constexpr int kTaskBoundMs = 60000;  // a whole task at 1 % ends well within this

struct TaskRun
{
    QList<QPair<int, QString>> reports;
    QList<int> counter;  // sampled while the task ran
    bool ended = false;

    explicit TaskRun(EngineRig& rig)
    {
        QObject context;
        QObject::connect(rig.engine.data(), &vesk::pc::UvcPatchUpgrade::progressUpdate, &context,
                         [this](int value, const QString& text) { reports.append({value, text}); });
        rig.engine->start();
        ended = QTest::qWaitFor(
            [&] {
                counter << rig.engine->progress();
                return rig.engine->isFinished();
            },
            kTaskBoundMs);
        // The thread posted its last reports before it ended: delivered now,
        // not within a time a loaded machine may exceed.
        QCoreApplication::sendPostedEvents();
    }

    QPair<int, QString> last() const { return reports.isEmpty() ? QPair<int, QString>(0, "none") : reports.last(); }
    // Percentages only rise, and 100 comes only as the final success report.
    bool progressSound() const
    {
        int highest = 0;
        for (int i = 0; i < reports.size(); ++i) {
            const int value = reports[i].first;
            const bool final = i == reports.size() - 1;
            if (value == vesk::pc::kErrCodeWarn || (final && value == vesk::pc::kErrCodeFailure))
                continue;
            if (value < highest || value < 0 || (value == vesk::pc::kErrCodeSuccess && !final))
                return false;
            highest = value;
        }
        for (int i = 1; i < counter.size(); ++i) {
            if (counter[i] < counter[i - 1] || counter[i] > 99)
                return false;
        }
        return true;
    }
};

// The host's address on the cameras' subnet, which the upgrade request
// tells the camera; call once in initTestCase.
inline void giveCamerasASubnet()
{
    QDir().mkpath(vesk::pc::AppPaths::dataPath("config"));
    QSettings ini(vesk::pc::AppPaths::dataPath("config/kestro_macos.ini"), QSettings::IniFormat);
    ini.setValue("local_server/host_ip_prefix", "127.0.");
    ini.setValue("local_server/host_ip_seg_start", 89);
    ini.setValue("local_server/host_ip_seg_end", 99);
    ini.sync();
    vesk::pc::Util::setLocalIpSource([] { return QStringList{QStringLiteral("127.0.89.20")}; });
}

// Whether every journal line matches its pattern, in order; says which not.
inline bool matchesInOrder(const QStringList& lines, const QStringList& patterns)
{
    for (int i = 0; i < qMax(lines.size(), patterns.size()); ++i) {
        const QString line = lines.value(i, "(none)");
        const QString pattern = patterns.value(i, "(none)");
        if (!QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(line).hasMatch()) {
            qWarning() << "line" << i << line << "does not match" << pattern;
            return false;
        }
    }
    return true;
}

// The journal without events of one kind, and without resend requests of
// downloads (a stream may need them, and they are not steps of the road).
inline QStringList journalWithout(const vesk::pc::SimCamera& camera,
                                  vesk::pc::SimEvent::Kind left = vesk::pc::SimEvent::Kind(-1))
{
    QStringList lines;
    const QList<vesk::pc::SimEvent> events = camera.journal()->events();
    const QStringList all = camera.journal()->lines();
    for (int i = 0; i < events.size(); ++i) {
        if (events[i].kind != left && !all[i].contains(QRegularExpression("^\\d+ download 3 ")))
            lines << all[i];
    }
    return lines;
}
