#pragma once
// A timer synchronised with the display: it fires at every 60 Hz tick of the media clock
// (times k / 60) while it is in a run loop and not paused. Like the platform's, it retains its
// target and the run loop retains it until it is invalidated; in the weak-target mode it holds
// the target weakly instead and invalidates itself at the first tick after the target is gone.

#include <functional>
#include <set>
#include <string>

#include "platform/foundation/RunLoop.h"
#include "platform/objc/Runtime.h"

namespace ios {

inline const std::string NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
inline const std::string NSRunLoopCommonModes = "kCFRunLoopCommonModes";

class CADisplayLink : public objc::Object {
    OBJC_CLASS_DECLARE(CADisplayLink)
public:
    static constexpr double kFrameDuration = 1.0 / 60.0;

    // The action is sent with the link as its argument (when the selector takes one).
    static objc::Ref<CADisplayLink> displayLinkWithTarget(const objc::id& target, objc::SEL selector);
    static objc::Ref<CADisplayLink> displayLinkWithWeakTarget(const objc::id& target, objc::SEL selector);
    static objc::Ref<CADisplayLink> displayLinkWithBlock(std::function<void(CADisplayLink&)> block);

    // The link fires while it is in at least one mode of the loop.
    void addToRunLoop(RunLoop& runLoop, const std::string& mode);
    void removeFromRunLoop(RunLoop& runLoop, const std::string& mode);
    void invalidate();
    bool isValid() const { return m_valid; }
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);

    // The tick being delivered (or last delivered), the next one, and the tick length.
    double timestamp() const { return m_timestamp; }
    double targetTimestamp() const { return m_timestamp + kFrameDuration; }
    double duration() const { return kFrameDuration; }
    bool holdsTargetWeakly() const { return m_weak; }
    objc::id target() const { return m_weak ? m_weakTarget.lock() : m_target; }

protected:
    CADisplayLink() = default;

private:
    void schedule();
    void unschedule();
    void tick(double time);
    static double nextTickAfter(double now);

    objc::id m_target;
    objc::WeakRef<objc::Object> m_weakTarget;
    bool m_weak = false;
    objc::SEL m_selector = nullptr;
    std::function<void(CADisplayLink&)> m_block;
    RunLoop* m_runLoop = nullptr;
    std::set<std::string> m_modes;
    bool m_valid = true;
    bool m_paused = false;
    double m_timestamp = 0;
    double m_lastTick = -1;
    RunLoop::Token m_token = 0;
};

using CADisplayLinkRef = objc::Ref<CADisplayLink>;

}  // namespace ios
