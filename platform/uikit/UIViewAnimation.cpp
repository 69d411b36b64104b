#include "platform/uikit/UIViewAnimation.h"

#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/quartz/CALayer.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIView.h"

namespace ios {

OBJC_CLASS_DEFINE(NSValueBox, objc::Object)

objc::Ref<NSValueBox> NSValueBox::box(Value value) { return objc::make<NSValueBox>(std::move(value)); }

Value NSValueBoxUnbox(const objc::id& object) {
    auto box = objc::cast<NSValueBox>(object);
    return box ? box->value() : Value();
}

CAMediaTimingFunctionRef UIViewAnimationTimingFunction(UIViewAnimationCurve curve) {
    switch (curve) {
    case UIViewAnimationCurve::EaseIn: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    case UIViewAnimationCurve::EaseOut: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    case UIViewAnimationCurve::Linear: return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    case UIViewAnimationCurve::EaseInOut: break;
    }
    return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
}

UIViewAnimationCurve UIViewAnimationCurveFromOptions(unsigned long options) {
    return static_cast<UIViewAnimationCurve>((options >> 16) & 0x3);
}

namespace uiview_animation {
namespace {

struct State;
// The state of the current process while it exists; completions that end during the process's
// teardown find none and are dropped.
State* g_liveState = nullptr;

// One animation block: it completes once it is closed and every animation it made has ended.
struct Group {
    std::function<void(bool)> completion;
    // The did-stop form of beginAnimations.
    bool legacy = false;
    objc::WeakRef<objc::Object> delegate;
    objc::SEL didStop = nullptr;
    objc::SEL willStart = nullptr;
    std::string animationID;
    void* context = nullptr;

    int pending = 0;
    bool finished = true;
    bool closed = false;
    bool fired = false;

    void animationEnded(bool f);
    void close();
    void fireIfDone();
};

// The delegate of every animation a block makes: reports the end (or the interruption) once.
class Tracker : public CAAnimationDelegate {
public:
    explicit Tracker(std::shared_ptr<Group> group) : m_group(std::move(group)) {}
    ~Tracker() override {
        // The layer went away with the animation still running.
        if (!m_done && g_liveState) m_group->animationEnded(false);
    }
    bool respondsToAnimationDidStart() const override { return false; }
    void animationDidStop(CAAnimation&, bool finished) override { end(finished); }
    void end(bool finished) {
        if (m_done) return;
        m_done = true;
        m_group->animationEnded(finished);
    }
    bool done() const { return m_done; }

private:
    std::shared_ptr<Group> m_group;
    bool m_done = false;
};

struct Block {
    double duration = 0;
    double delay = 0;
    UIViewAnimationCurve curve = UIViewAnimationCurve::EaseInOut;
    unsigned long options = 0;
    double repeatCount = 0;
    bool autoreverses = false;
    bool disabled = false;  // performWithoutAnimation
    std::shared_ptr<Group> group;
};

struct State {
    State() { g_liveState = this; }
    ~State() {
        if (g_liveState == this) g_liveState = nullptr;
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    std::vector<Block> blocks;
    bool enabled = true;
    int pendingGroups = 0;
    // The running view animation of each (layer, key), to interrupt it when a new one starts.
    std::map<std::pair<const CALayer*, std::string>, std::weak_ptr<Tracker>> running;
};

State* state() {
    Process* p = Process::current();
    return p ? &p->attached<State>() : nullptr;
}

void Group::animationEnded(bool f) {
    finished = finished && f;
    if (pending > 0) --pending;
    fireIfDone();
}

void Group::close() {
    closed = true;
    fireIfDone();
}

void Group::fireIfDone() {
    if (!closed || fired || pending > 0) return;
    fired = true;
    Process* p = Process::current();
    if (!p || !g_liveState) return;
    --g_liveState->pendingGroups;
    // Completions always arrive on the run loop, never inside the call that ended the block.
    p->runLoop().post([completion = std::move(completion), legacy = legacy, delegate = delegate, didStop = didStop,
                       animationID = animationID, context = context, finished = finished] {
        if (completion) completion(finished);
        if (!legacy || !didStop) return;
        objc::id target = delegate.lock();
        if (!target) return;
        std::vector<objc::id> args = {
            NSValueBox::box(animationID.empty() ? Value() : Value(animationID)), NSValueBox::box(Value(finished)),
            NSValueBox::box(Value(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(context))))};
        args.resize(static_cast<std::size_t>(std::clamp(objc::sel_argumentCount(didStop), 0, 3)));
        objc::msgSendv(target.get(), didStop, args);
    });
}

bool animatableKey(const std::string& key) {
    static const char* const keys[] = {"position",        "bounds",       "transform",         "opacity",
                                       "backgroundColor", "cornerRadius", "borderWidth",       "borderColor",
                                       "shadowOpacity",   "shadowOffset", "shadowRadius",      "shadowColor",
                                       "zPosition",       "anchorPoint",  "sublayerTransform", "contentsTintColor"};
    for (const char* k : keys)
        if (key == k) return true;
    return false;
}

std::shared_ptr<Group> openBlock(Block block) {
    State* s = state();
    block.group = std::make_shared<Group>();
    if (!s) return block.group;
    ++s->pendingGroups;
    s->blocks.push_back(std::move(block));
    return s->blocks.back().group;
}

void closeBlock() {
    State* s = state();
    if (!s || s->blocks.empty()) return;
    auto group = s->blocks.back().group;
    s->blocks.pop_back();
    if (group->legacy && group->willStart)
        if (objc::id target = group->delegate.lock()) {
            std::vector<objc::id> args = {
                NSValueBox::box(group->animationID.empty() ? Value() : Value(group->animationID)),
                NSValueBox::box(Value(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(group->context))))};
            args.resize(static_cast<std::size_t>(std::clamp(objc::sel_argumentCount(group->willStart), 0, 2)));
            objc::msgSendv(target.get(), group->willStart, args);
        }
    group->close();
}

Block* currentBlock() {
    State* s = state();
    return s && !s->blocks.empty() ? &s->blocks.back() : nullptr;
}

}  // namespace

bool isAnimating() {
    State* s = state();
    return s && s->enabled && !s->blocks.empty() && !s->blocks.back().disabled;
}

int pendingBlocksForTesting() {
    State* s = state();
    return s ? s->pendingGroups : 0;
}

objc::Ref<CAAnimation> actionForLayer(CALayer& layer, const std::string& key) {
    State* s = state();
    if (!s || !isAnimating() || !animatableKey(key)) return nullptr;
    Block& block = s->blocks.back();
    if (!(block.duration > 0) || !std::isfinite(block.duration)) return nullptr;
    CAValue from = layer.presentationLayer()->valueForKeyPath(key);
    if (from.isNone() && key != "backgroundColor" && key != "borderColor" && key != "shadowColor" &&
        key != "contentsTintColor")
        return nullptr;

    auto animation = CABasicAnimation::animationWithKeyPath(key);
    animation->setFromValue(from.isNone() ? CAValue(UIColor::clearColor()) : from);
    animation->setDuration(block.duration);
    animation->setTimingFunction(UIViewAnimationTimingFunction(block.curve));
    if (block.delay > 0) {
        // The model changes now; until the delay has passed the layer shows the old value.
        animation->setBeginTime(layer.localTimeFromMediaTime(CACurrentMediaTime()) + block.delay);
        animation->setFillMode(kCAFillModeBackwards);
    }
    if (block.options & UIViewAnimationOptionRepeat)
        animation->setRepeatCount(std::numeric_limits<double>::infinity());
    else if (block.repeatCount > 0)
        animation->setRepeatCount(block.repeatCount);
    if ((block.options & UIViewAnimationOptionAutoreverse) || block.autoreverses) animation->setAutoreverses(true);

    auto tracker = std::make_shared<Tracker>(block.group);
    ++block.group->pending;
    animation->setDelegate(tracker);

    auto key2 = std::make_pair(static_cast<const CALayer*>(&layer), key);
    if (auto it = s->running.find(key2); it != s->running.end())
        if (auto previous = it->second.lock()) previous->end(false);
    std::erase_if(s->running, [](const auto& entry) {
        auto t = entry.second.lock();
        return !t || t->done();
    });
    s->running[key2] = tracker;
    return animation;
}

}  // namespace uiview_animation

// --- UIView's animation functions ---------------------------------------------------------------

using namespace uiview_animation;

void UIView::animateWithDuration(double duration, const std::function<void()>& animations) {
    animateWithDuration(duration, 0, 0, animations, nullptr);
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
                                 const std::function<void(bool)>& completion) {
    animateWithDuration(duration, 0, 0, animations, completion);
}

void UIView::animateWithDuration(double duration, double delay, unsigned long options,
                                 const std::function<void()>& animations, const std::function<void(bool)>& completion) {
    Block block;
    block.duration = std::isfinite(duration) && duration > 0 ? duration : 0;
    block.delay = std::isfinite(delay) && delay > 0 ? delay : 0;
    block.curve = UIViewAnimationCurveFromOptions(options);
    block.options = options;
    auto group = openBlock(std::move(block));
    group->completion = completion;
    if (animations) animations();
    if (state())
        closeBlock();
    else if (completion)
        completion(true);
}

void UIView::performWithoutAnimation(const std::function<void()>& actions) {
    Block block;
    block.disabled = true;
    auto group = openBlock(std::move(block));
    if (actions) actions();
    if (state()) closeBlock();
}

bool UIView::areAnimationsEnabled() {
    State* s = state();
    return !s || s->enabled;
}

void UIView::setAnimationsEnabled(bool enabled) {
    if (State* s = state()) s->enabled = enabled;
}

void UIView::beginAnimations(const std::string& animationID, void* context) {
    Block block;
    block.duration = UIViewBeginAnimationsDefaultDuration;
    auto group = openBlock(std::move(block));
    group->legacy = true;
    group->animationID = animationID;
    group->context = context;
}

void UIView::commitAnimations() {
    Block* block = currentBlock();
    if (!block || !block->group->legacy) {
        NSLogLine("UIView: commitAnimations without a matching beginAnimations");
        return;
    }
    closeBlock();
}

void UIView::setAnimationDuration(double duration) {
    if (Block* b = currentBlock()) b->duration = std::isfinite(duration) && duration > 0 ? duration : 0;
}

void UIView::setAnimationDelay(double delay) {
    if (Block* b = currentBlock()) b->delay = std::isfinite(delay) && delay > 0 ? delay : 0;
}

void UIView::setAnimationCurve(UIViewAnimationCurve curve) {
    if (Block* b = currentBlock()) b->curve = curve;
}

void UIView::setAnimationRepeatCount(double count) {
    if (Block* b = currentBlock()) b->repeatCount = count;
}

void UIView::setAnimationRepeatAutoreverses(bool autoreverses) {
    if (Block* b = currentBlock()) b->autoreverses = autoreverses;
}

void UIView::setAnimationDelegate(const objc::id& delegate) {
    if (Block* b = currentBlock()) b->group->delegate = delegate;
}

void UIView::setAnimationDidStopSelector(objc::SEL selector) {
    if (Block* b = currentBlock()) b->group->didStop = selector;
}

void UIView::setAnimationWillStartSelector(objc::SEL selector) {
    if (Block* b = currentBlock()) b->group->willStart = selector;
}

}  // namespace ios
