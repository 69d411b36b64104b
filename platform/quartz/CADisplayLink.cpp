#include "platform/quartz/CADisplayLink.h"

#include <cmath>

#include "platform/foundation/Process.h"

namespace ios {

OBJC_CLASS_DEFINE(CADisplayLink, objc::Object)

objc::Ref<CADisplayLink> CADisplayLink::displayLinkWithTarget(const objc::id& target, objc::SEL selector) {
    auto link = objc::make<CADisplayLink>();
    link->m_target = target;
    link->m_selector = selector;
    return link;
}

objc::Ref<CADisplayLink> CADisplayLink::displayLinkWithWeakTarget(const objc::id& target, objc::SEL selector) {
    auto link = objc::make<CADisplayLink>();
    link->m_weak = true;
    link->m_weakTarget = target;
    link->m_selector = selector;
    return link;
}

objc::Ref<CADisplayLink> CADisplayLink::displayLinkWithBlock(std::function<void(CADisplayLink&)> block) {
    auto link = objc::make<CADisplayLink>();
    link->m_block = std::move(block);
    return link;
}

double CADisplayLink::nextTickAfter(double now) {
    // The first grid time strictly after now; the small margin keeps k/60 itself from being
    // skipped or repeated through rounding.
    double k = std::floor(now * 60.0 + 1e-6) + 1;
    return k / 60.0;
}

void CADisplayLink::addToRunLoop(RunLoop& runLoop, const std::string& mode) {
    if (!m_valid) return;
    if (m_runLoop && m_runLoop != &runLoop) return;  // a link lives in one run loop
    m_runLoop = &runLoop;
    m_modes.insert(mode);
    schedule();
}

void CADisplayLink::removeFromRunLoop(RunLoop& runLoop, const std::string& mode) {
    if (m_runLoop != &runLoop) return;
    m_modes.erase(mode);
    if (m_modes.empty()) {
        unschedule();
        m_runLoop = nullptr;
    }
}

void CADisplayLink::invalidate() {
    if (!m_valid) return;
    m_valid = false;
    unschedule();
    m_modes.clear();
    m_runLoop = nullptr;
    m_target.reset();
    m_weakTarget.reset();
    m_block = nullptr;
}

void CADisplayLink::setPaused(bool paused) {
    if (m_paused == paused) return;
    m_paused = paused;
    if (paused)
        unschedule();
    else
        schedule();
}

void CADisplayLink::schedule() {
    if (!m_valid || m_paused || !m_runLoop || m_modes.empty()) return;
    if (m_token && m_runLoop->isScheduled(m_token)) return;
    double when = nextTickAfter(std::max(m_runLoop->now(), m_lastTick));
    // The run loop keeps the link alive while it is scheduled.
    auto self = std::static_pointer_cast<CADisplayLink>(shared_from_this());
    m_token = m_runLoop->scheduleAt(when, [self, when] { self->tick(when); });
}

void CADisplayLink::unschedule() {
    // The run loop may already be gone with its process; then nothing is scheduled any more.
    Process* p = Process::current();
    if (m_token && m_runLoop && p && &p->runLoop() == m_runLoop) m_runLoop->cancel(m_token);
    m_token = 0;
}

void CADisplayLink::tick(double time) {
    m_token = 0;
    if (!m_valid || m_paused) return;
    m_lastTick = time;
    m_timestamp = time;
    auto self = std::static_pointer_cast<CADisplayLink>(shared_from_this());
    // Next tick first, so the callback can pause or invalidate it.
    schedule();
    if (m_block) {
        auto block = m_block;
        block(*this);
        return;
    }
    objc::id target = m_weak ? m_weakTarget.lock() : m_target;
    if (!target) {
        invalidate();
        return;
    }
    if (m_selector) objc::msgSendAction(target, m_selector, self);
}

}  // namespace ios
