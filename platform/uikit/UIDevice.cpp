#include "platform/uikit/UIDevice.h"

#include "platform/foundation/Process.h"

namespace ios {

OBJC_CLASS_DEFINE(UIDevice, objc::Object)

namespace {
struct DeviceSlot {
    objc::Ref<UIDevice> device;
};
}  // namespace

objc::Ref<UIDevice> UIDevice::currentDevice() {
    Process* process = Process::current();
    if (!process) return objc::make<UIDevice>();
    auto& slot = process->attached<DeviceSlot>();
    if (!slot.device) slot.device = objc::make<UIDevice>();
    return slot.device;
}

std::string UIDevice::name() const {
    Process* process = Process::current();
    return process ? process->profile().name : std::string();
}

}  // namespace ios
