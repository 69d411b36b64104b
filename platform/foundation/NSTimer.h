#pragma once
// NSTimer and delayed performs on the main run loop. A timer retains its target until it is
// invalidated (a non-repeating timer invalidates itself after firing); the run loop retains a
// scheduled timer, as the platform does.

#include <functional>

#include "platform/foundation/RunLoop.h"
#include "platform/objc/Runtime.h"

namespace ios {

class NSTimer : public objc::Object {
    OBJC_CLASS_DECLARE(NSTimer)
public:
    static objc::Ref<NSTimer> scheduledTimerWithTimeInterval(double interval, const objc::id& target,
                                                             objc::SEL selector, const objc::id& userInfo,
                                                             bool repeats);
    static objc::Ref<NSTimer> scheduledTimerWithTimeInterval(double interval, bool repeats,
                                                             std::function<void(NSTimer&)> block);

    void fire();  // fires now, without changing the schedule (a non-repeating timer ends)
    void invalidate();
    bool isValid() const { return m_valid; }
    double timeInterval() const { return m_interval; }
    double fireDate() const { return m_fireDate; }
    const objc::id& userInfo() const { return m_userInfo; }
    bool repeats() const { return m_repeats; }

protected:
    NSTimer() = default;

private:
    void schedule();
    void fired();

    double m_interval = 0;
    double m_fireDate = 0;
    bool m_repeats = false;
    bool m_valid = false;
    objc::id m_target;
    objc::SEL m_selector = nullptr;
    objc::id m_userInfo;
    std::function<void(NSTimer&)> m_block;
    RunLoop::Token m_token = 0;
};

// performSelector:withObject:afterDelay: — retains target and argument until it runs; a delay of
// 0 runs at the next turn of the run loop.
void performSelectorAfterDelay(const objc::id& target, objc::SEL selector, const objc::id& argument, double delay);
// cancelPreviousPerformRequestsWithTarget:
void cancelPreviousPerformRequestsWithTarget(const objc::Object* target);

}  // namespace ios
