#include "uicomm/UicommResources.h"

#include <QtGlobal>

void initUicommResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(uicomm);
        return true;
    }();
    Q_UNUSED(done)
}
