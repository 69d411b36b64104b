#include "platform/quartz/CATransaction.h"

#include <optional>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"

namespace ios {

namespace {

struct Frame {
    std::optional<double> duration;
    std::optional<CAMediaTimingFunctionRef> timingFunction;
    std::optional<bool> disableActions;
    std::function<void()> completion;
    std::shared_ptr<CATransactionCompletion> tracker = std::make_shared<CATransactionCompletion>();
    bool implicit = false;
};

struct TransactionStack {
    std::vector<Frame> frames;
    bool implicitCloseScheduled = false;
};

TransactionStack& stack() {
    if (Process* p = Process::current()) return p->attached<TransactionStack>();
    static TransactionStack detached;  // no process: frames live until committed
    return detached;
}

void commitFrame(Frame frame) { frame.tracker->committed(std::move(frame.completion)); }

// A setter outside any begin/commit opens the implicit frame, which the run loop closes.
Frame& writableFrame() {
    TransactionStack& s = stack();
    if (s.frames.empty()) {
        Frame f;
        f.implicit = true;
        s.frames.push_back(std::move(f));
        if (Process* p = Process::current(); p && !s.implicitCloseScheduled) {
            s.implicitCloseScheduled = true;
            p->runLoop().post([] {
                TransactionStack& st = stack();
                st.implicitCloseScheduled = false;
                if (!st.frames.empty() && st.frames.front().implicit) {
                    Frame pending = std::move(st.frames.front());
                    st.frames.erase(st.frames.begin());
                    commitFrame(std::move(pending));
                }
            });
        }
    }
    return s.frames.back();
}

template <class T, class Get>
T lookup(Get get, T fallback) {
    const auto& frames = stack().frames;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it)
        if (auto v = get(*it)) return *v;
    return fallback;
}

}  // namespace

void CATransactionCompletion::animationEnded() {
    if (m_pending > 0) --m_pending;
    fireIfDone();
}

void CATransactionCompletion::committed(std::function<void()> block) {
    m_committed = true;
    m_block = std::move(block);
    fireIfDone();
}

void CATransactionCompletion::fireIfDone() {
    if (!m_committed || m_fired || m_pending > 0) return;
    m_fired = true;
    if (!m_block) return;
    auto block = std::move(m_block);
    if (Process* p = Process::current())
        p->runLoop().post(std::move(block));
    else
        block();
}

void CATransaction::begin() { stack().frames.emplace_back(); }

void CATransaction::commit() {
    auto& frames = stack().frames;
    if (frames.empty() || frames.back().implicit) return;
    Frame f = std::move(frames.back());
    frames.pop_back();
    commitFrame(std::move(f));
}

double CATransaction::animationDuration() {
    return lookup<double>([](const Frame& f) { return f.duration; }, 0.25);
}

void CATransaction::setAnimationDuration(double duration) { writableFrame().duration = duration; }

CAMediaTimingFunctionRef CATransaction::animationTimingFunction() {
    return lookup<CAMediaTimingFunctionRef>([](const Frame& f) { return f.timingFunction; }, nullptr);
}

void CATransaction::setAnimationTimingFunction(CAMediaTimingFunctionRef function) {
    writableFrame().timingFunction = std::move(function);
}

bool CATransaction::disableActions() {
    return lookup<bool>([](const Frame& f) { return f.disableActions; }, false);
}

void CATransaction::setDisableActions(bool disable) { writableFrame().disableActions = disable; }

std::function<void()> CATransaction::completionBlock() {
    auto& frames = stack().frames;
    return frames.empty() ? nullptr : frames.back().completion;
}

void CATransaction::setCompletionBlock(std::function<void()> block) { writableFrame().completion = std::move(block); }

int CATransaction::depthForTesting() { return static_cast<int>(stack().frames.size()); }

std::vector<std::shared_ptr<CATransactionCompletion>> CATransaction::openCompletions() {
    std::vector<std::shared_ptr<CATransactionCompletion>> out;
    for (const Frame& f : stack().frames) out.push_back(f.tracker);
    return out;
}

}  // namespace ios
