#pragma once

// A camera registry on its own thread over its own simulated backend, as the
// main window sets it up.

#include "sim/SimBackend.h"
#include "uvc/UvcDevices.h"

#include <QThread>

struct RegistryThread
{
    vesk::pc::SimBackend backend;
    vesk::pc::UvcDevices* registry = new vesk::pc::UvcDevices(backend);
    QThread thread;

    RegistryThread()
    {
        registry->moveToThread(&thread);
        thread.start();
    }
    ~RegistryThread()
    {
        registry->stopHotPlug();
        thread.quit();
        thread.wait();
        delete registry;
    }
    RegistryThread(const RegistryThread&) = delete;
    RegistryThread& operator=(const RegistryThread&) = delete;
};
