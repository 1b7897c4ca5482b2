#include "uicomm/LoopDisposal.h"

#include <QEventLoop>

void disposeEventLoop(QEventLoop* loop)
{
    if (!loop)
        return;
    if (loop->isRunning()) {
        loop->exit();
        loop->setParent(nullptr);
        loop->deleteLater();
    } else {
        delete loop;
    }
}
