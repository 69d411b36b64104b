#include "platform/uikit/UIApplicationNotifications.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/UIApplication.h"

namespace ios {

namespace {

struct ApplicationStateSlot {
    UIApplicationState state = UIApplicationState::Active;
};

void post(const std::string& name) {
    NSNotificationCenter::defaultCenter().postNotificationName(name, UIApplication::sharedApplication());
}

}  // namespace

UIApplicationState UIApplicationCurrentState() {
    Process* process = Process::current();
    return process ? process->attached<ApplicationStateSlot>().state : UIApplicationState::Active;
}

void UIApplicationSimulateDidBecomeActive() {
    Process* process = Process::current();
    if (!process) {
        NSLogLine("UIApplication: no process to make active");
        return;
    }
    auto& slot = process->attached<ApplicationStateSlot>();
    if (slot.state == UIApplicationState::Background) post(UIApplicationWillEnterForegroundNotification);
    slot.state = UIApplicationState::Active;
    post(UIApplicationDidBecomeActiveNotification);
}

void UIApplicationSimulateDidEnterBackground() {
    Process* process = Process::current();
    if (!process) {
        NSLogLine("UIApplication: no process to send to the background");
        return;
    }
    auto& slot = process->attached<ApplicationStateSlot>();
    if (slot.state == UIApplicationState::Active) post(UIApplicationWillResignActiveNotification);
    slot.state = UIApplicationState::Background;
    post(UIApplicationDidEnterBackgroundNotification);
}

}  // namespace ios
