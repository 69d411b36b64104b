#include "platform/foundation/NSTimer.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/Process.h"

namespace ios {

OBJC_CLASS_DEFINE(NSTimer, objc::Object)

namespace {

// The process's timers. A timer holds its target until it is invalidated, and a target often holds
// its timer; when the process ends, every timer still valid is invalidated, so such a pair does
// not outlive the process.
struct ProcessTimers {
    std::vector<objc::WeakRef<NSTimer>> timers;
    ~ProcessTimers() {
        for (auto& weak : timers)
            if (auto timer = weak.lock()) timer->invalidate();
    }
};

}  // namespace

objc::Ref<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double interval, const objc::id& target, objc::SEL selector,
                                                           const objc::id& userInfo, bool repeats) {
    auto timer = objc::make<NSTimer>();
    timer->m_interval = interval > 0 ? interval : 0.0001;  // the platform's minimum, roughly
    timer->m_repeats = repeats;
    timer->m_target = target;
    timer->m_selector = selector;
    timer->m_userInfo = userInfo;
    timer->m_valid = true;
    timer->schedule();
    auto& live = Process::shared().attached<ProcessTimers>().timers;
    std::erase_if(live, [](const objc::WeakRef<NSTimer>& weak) { return weak.expired(); });
    live.push_back(timer);
    return timer;
}

objc::Ref<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double interval, bool repeats,
                                                           std::function<void(NSTimer&)> block) {
    auto timer = scheduledTimerWithTimeInterval(interval, nullptr, nullptr, nullptr, repeats);
    timer->m_block = std::move(block);
    return timer;
}

void NSTimer::schedule() {
    RunLoop& loop = Process::shared().runLoop();
    m_fireDate = (m_fireDate > 0 ? m_fireDate : loop.now()) + m_interval;
    auto self = std::static_pointer_cast<NSTimer>(shared_from_this());
    m_token = loop.scheduleAt(m_fireDate, [self] { self->fired(); });
}

void NSTimer::fired() {
    m_token = 0;
    if (!m_valid) return;
    if (m_repeats) schedule();  // next fire counts from this one's scheduled date
    fire();
}

void NSTimer::fire() {
    if (!m_valid) return;
    auto self = std::static_pointer_cast<NSTimer>(shared_from_this());
    if (m_block) {
        auto block = m_block;
        block(*this);
    } else if (m_target && m_selector) {
        objc::id target = m_target;
        objc::msgSendAction(target, m_selector, self);
    }
    if (!m_repeats) invalidate();
}

void NSTimer::invalidate() {
    if (!m_valid) return;
    m_valid = false;
    if (m_token) {
        if (Process* p = Process::current()) p->runLoop().cancel(m_token);
        m_token = 0;
    }
    m_target.reset();
    m_userInfo.reset();
    m_block = nullptr;
}

namespace {

struct PendingPerform {
    RunLoop::Token token;
    const objc::Object* target;
};

struct PerformRequests {
    std::vector<PendingPerform> pending;
};

}  // namespace

void performSelectorAfterDelay(const objc::id& target, objc::SEL selector, const objc::id& argument, double delay) {
    if (!target) return;
    Process& process = Process::shared();
    auto& requests = process.attached<PerformRequests>();
    auto token = std::make_shared<RunLoop::Token>(0);
    *token = process.runLoop().scheduleAfter(delay, [target, selector, argument, token] {
        if (Process* p = Process::current())
            std::erase_if(p->attached<PerformRequests>().pending,
                          [&](const PendingPerform& r) { return r.token == *token; });
        objc::msgSendAction(target, selector, argument);
    });
    requests.pending.push_back({*token, target.get()});
}

void cancelPreviousPerformRequestsWithTarget(const objc::Object* target) {
    Process& process = Process::shared();
    auto& pending = process.attached<PerformRequests>().pending;
    for (const auto& request : pending)
        if (request.target == target) process.runLoop().cancel(request.token);
    std::erase_if(pending, [&](const PendingPerform& r) { return r.target == target; });
}

}  // namespace ios
