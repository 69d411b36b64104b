#pragma once
// Transactions group layer changes. Each begin/commit pair opens a frame on a per-process stack;
// a frame's properties are inherited by the frames nested in it. Without an explicit begin, a
// setter opens an implicit frame that closes at the next turn of the run loop.

#include <functional>
#include <memory>
#include <vector>

#include "platform/quartz/CAMediaTimingFunction.h"

namespace ios {

// Counts the animations added while a transaction with a completion block was open; the block
// runs (on the run loop) once the transaction is committed and every one of them has ended.
class CATransactionCompletion {
public:
    void animationAdded() { ++m_pending; }
    void animationEnded();
    void committed(std::function<void()> block);

private:
    void fireIfDone();
    int m_pending = 0;
    bool m_committed = false;
    bool m_fired = false;
    std::function<void()> m_block;
};

class CATransaction {
public:
    static void begin();
    // Commits the innermost frame; a commit without a begin is ignored.
    static void commit();
    static void flush() {}

    // 0.25 s unless a frame sets it.
    static double animationDuration();
    static void setAnimationDuration(double duration);
    static CAMediaTimingFunctionRef animationTimingFunction();
    static void setAnimationTimingFunction(CAMediaTimingFunctionRef function);
    // While true, property changes never ask the layer's delegate for an action.
    static bool disableActions();
    static void setDisableActions(bool disable);
    static std::function<void()> completionBlock();
    static void setCompletionBlock(std::function<void()> block);

    static int depthForTesting();

    // The completion trackers of every open frame, innermost last (used when an animation is
    // added).
    static std::vector<std::shared_ptr<CATransactionCompletion>> openCompletions();
};

}  // namespace ios
