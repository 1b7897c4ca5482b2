#include "main/ShownReport.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

namespace vesk {
namespace pc {

void ShownReport::watch(QWidget* window)
{
    if (qEnvironmentVariableIsSet("ORLACAM_REPORT_SHOWN"))
        new ShownReport(window);
}

ShownReport::ShownReport(QWidget* window)
    : QObject(window)
{
    window->installEventFilter(this);
}

bool ShownReport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // After the paint in progress, not before it.
        QTimer::singleShot(0, this, [this] {
            static const char kLine[] = "shown\n";
            if (::write(STDOUT_FILENO, kLine, sizeof kLine - 1) < 0)
                qWarning("Start-up report not written");
            deleteLater();
        });
    }
    return false;
}

} // namespace pc
} // namespace vesk
