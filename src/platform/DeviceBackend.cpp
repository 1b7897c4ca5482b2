#include "platform/DeviceBackend.h"

#include "platform/EmptyBackend.h"

namespace vesk {
namespace pc {

namespace {

DeviceBackend::Chooser& chooser()
{
    static DeviceBackend::Chooser chosen;
    return chosen;
}

} // namespace

void DeviceBackend::setChooser(Chooser chosen)
{
    chooser() = std::move(chosen);
}

DeviceBackend& DeviceBackend::instance()
{
    static const std::unique_ptr<DeviceBackend> backend =
        chooser() ? chooser()() : std::unique_ptr<DeviceBackend>(std::make_unique<EmptyBackend>());
    return *backend;
}

} // namespace pc
} // namespace vesk
