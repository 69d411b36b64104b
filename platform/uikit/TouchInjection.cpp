#include "platform/uikit/TouchInjection.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

namespace {

struct ActiveTouch {
    objc::Ref<UITouch> touch;
    objc::Ref<UIView> view;  // kept while the finger is down, as the platform does
    std::vector<objc::Ref<UIGestureRecognizer>> recognizers;
    bool viewCancelled = false;
};

struct LooseRoot {
    objc::WeakRef<UIView> view;
    double level;
};

// Per-process touch state.
struct TouchState {
    std::map<int, ActiveTouch> touches;
    objc::Ref<UIEvent> event;
    std::vector<LooseRoot> looseRoots;
    // For tap counts: where and when the last touch lifted, and its count.
    CGPoint lastTapPoint;
    double lastTapEnd = -1;
    int lastTapCount = 0;
};

TouchState& state() { return Process::shared().attached<TouchState>(); }
RunLoop& runLoop() { return Process::shared().runLoop(); }

double distance(CGPoint a, CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

std::vector<objc::Ref<UIView>> rootsFrontToBack() {
    auto& s = state();
    struct Root {
        objc::Ref<UIView> view;
        double level;
        std::size_t order;
    };
    std::vector<Root> roots;
    std::size_t order = 0;
    for (UIWindow* window : UIScreen::mainScreen()->visibleWindows())
        roots.push_back({std::static_pointer_cast<UIView>(window->shared_from_this()), window->windowLevel(), order++});
    std::erase_if(s.looseRoots, [](const LooseRoot& r) { return r.view.expired(); });
    for (const auto& loose : s.looseRoots) {
        auto view = loose.view.lock();
        if (view && !view->window() && !view->superview()) roots.push_back({view, loose.level, order++});
    }
    std::stable_sort(roots.begin(), roots.end(), [](const Root& a, const Root& b) {
        return a.level != b.level ? a.level > b.level : a.order > b.order;
    });
    std::vector<objc::Ref<UIView>> result;
    for (auto& r : roots) result.push_back(std::move(r.view));
    return result;
}

std::vector<objc::Ref<UIGestureRecognizer>> recognizersFor(UIView* hit, const UITouch& touch) {
    std::vector<objc::Ref<UIGestureRecognizer>> result;
    const UIGestureRecognizerArbiter* arbiter = nullptr;
    for (UIView* v = hit; v; v = v->superview()) {
        for (const auto& r : v->gestureRecognizers()) {
            if (!r->isEnabled()) continue;
            if (arbiter && v != hit && arbiter->preventsAncestorGestureRecognizer(*r, touch)) continue;
            result.push_back(r);
        }
        if (!arbiter) arbiter = dynamic_cast<const UIGestureRecognizerArbiter*>(v);
    }
    return result;
}

bool recognizedSomething(const UIGestureRecognizer& r) {
    auto s = r.state();
    return s == UIGestureRecognizerState::Began || s == UIGestureRecognizerState::Changed ||
           s == UIGestureRecognizerState::Ended;
}

void refreshEvent(TouchState& s) {
    if (!s.event) s.event = objc::make<UIEvent>();
    std::vector<objc::Ref<UITouch>> all;
    for (auto& [finger, active] : s.touches) all.push_back(active.touch);
    s.event->setTouches(std::move(all), runLoop().now());
}

// A recogniser that has recognised takes the touch away from the view.
void cancelViewTouchesIfRecognized(ActiveTouch& active, const UIEvent& event) {
    if (active.viewCancelled || !active.view) return;
    for (const auto& r : active.recognizers) {
        if (r->cancelsTouchesInView() && recognizedSomething(*r)) {
            active.viewCancelled = true;
            UITouchList list{active.touch};
            active.view->touchesCancelled(list, event);
            return;
        }
    }
}

}  // namespace

UIView* sendTouch(UITouchPhase phase, CGPoint screenPoint, int finger) {
    auto& s = state();
    double now = runLoop().now();
    auto found = s.touches.find(finger);

    if (phase == UITouchPhase::Began) {
        if (found != s.touches.end()) sendTouch(UITouchPhase::Ended, found->second.touch->screenLocation(), finger);
        ActiveTouch active;
        active.touch = objc::make<UITouch>();
        int count = 1;
        if (s.lastTapEnd >= 0 && now - s.lastTapEnd <= kMultiTapInterval &&
            distance(screenPoint, s.lastTapPoint) <= kMultiTapDistance)
            count = s.lastTapCount + 1;
        active.touch->beginAt(screenPoint, now, count);
        refreshEvent(s);
        UIView* hit = hitTestScreen(rootsFrontToBack(), screenPoint, s.event.get());
        if (hit) {
            active.view = std::static_pointer_cast<UIView>(hit->shared_from_this());
            active.touch->setView(hit);
            active.recognizers = recognizersFor(hit, *active.touch);
            active.touch->setGestureRecognizers(active.recognizers);
        }
        auto& stored = s.touches[finger] = std::move(active);
        refreshEvent(s);
        auto keep = stored;  // delivery may start new touches or end this one
        UITouchList list{keep.touch};
        for (const auto& r : keep.recognizers) r->touchesBegan(list, *s.event);
        auto it = s.touches.find(finger);
        if (it != s.touches.end()) {
            cancelViewTouchesIfRecognized(it->second, *s.event);
            if (it->second.view && !it->second.viewCancelled) it->second.view->touchesBegan(list, *s.event);
        }
        for (const auto& r : keep.recognizers) r->finishDeliveryIfDone();
        return hit;
    }

    if (found == s.touches.end()) return nullptr;  // a move or lift without touch-down goes nowhere
    ActiveTouch keep = found->second;
    keep.touch->moveTo(screenPoint, now, phase);
    refreshEvent(s);
    UITouchList list{keep.touch};
    const UIEvent& event = *s.event;
    for (const auto& r : keep.recognizers) {
        switch (phase) {
        case UITouchPhase::Moved:
        case UITouchPhase::Stationary: r->touchesMoved(list, event); break;
        case UITouchPhase::Ended: r->touchesEnded(list, event); break;
        case UITouchPhase::Cancelled: r->touchesCancelled(list, event); break;
        case UITouchPhase::Began: break;
        }
    }
    auto it = s.touches.find(finger);
    if (it != s.touches.end() && it->second.touch == keep.touch) {
        ActiveTouch& active = it->second;
        cancelViewTouchesIfRecognized(active, event);
        if (active.view && !active.viewCancelled) {
            switch (phase) {
            case UITouchPhase::Moved:
            case UITouchPhase::Stationary: active.view->touchesMoved(list, event); break;
            case UITouchPhase::Ended: active.view->touchesEnded(list, event); break;
            case UITouchPhase::Cancelled: active.view->touchesCancelled(list, event); break;
            case UITouchPhase::Began: break;
            }
        }
    }
    if (phase == UITouchPhase::Ended || phase == UITouchPhase::Cancelled) {
        auto again = s.touches.find(finger);
        if (again != s.touches.end() && again->second.touch == keep.touch) s.touches.erase(again);
        if (phase == UITouchPhase::Ended) {
            s.lastTapEnd = now;
            s.lastTapPoint = keep.touch->screenLocation();
            s.lastTapCount = keep.touch->tapCount();
        }
        refreshEvent(s);
    }
    for (const auto& r : keep.recognizers) r->finishDeliveryIfDone();
    return keep.view.get();
}

namespace {

std::size_t endEveryTouch(UITouchPhase phase) {
    std::vector<std::pair<int, CGPoint>> down;
    for (const auto& [finger, active] : state().touches) down.emplace_back(finger, active.touch->screenLocation());
    for (const auto& [finger, point] : down) sendTouch(phase, point, finger);
    return down.size();
}

}  // namespace

std::size_t liftTouches() { return endEveryTouch(UITouchPhase::Ended); }
std::size_t cancelTouches() { return endEveryTouch(UITouchPhase::Cancelled); }

UIView* tap(CGPoint screenPoint, int count) {
    UIView* hit = nullptr;
    for (int i = 0; i < std::max(count, 1); ++i) {
        if (i > 0) runLoop().advanceBy(kTapGapDuration);
        UIView* v = sendTouch(UITouchPhase::Began, screenPoint);
        if (i == 0) hit = v;
        runLoop().advanceBy(kTapHoldDuration);
        sendTouch(UITouchPhase::Ended, screenPoint);
    }
    return hit;
}

namespace {

// Moves the finger along the path at constant speed, one move per display frame.
void moveAlong(const std::vector<CGPoint>& path, double duration) {
    double length = 0;
    for (std::size_t i = 1; i < path.size(); ++i) length += distance(path[i - 1], path[i]);
    int steps = std::max(1, static_cast<int>(std::ceil(std::max(duration, 0.0) / kTouchMoveInterval)));
    double stepTime = std::max(duration, 0.0) / steps;
    std::size_t segment = 1;
    double walked = 0;  // length of the segments before `segment`
    for (int i = 1; i <= steps; ++i) {
        double target = length * i / steps;
        while (segment + 1 < path.size() && walked + distance(path[segment - 1], path[segment]) < target) {
            walked += distance(path[segment - 1], path[segment]);
            ++segment;
        }
        CGPoint point = path.back();
        if (path.size() > 1) {
            CGPoint a = path[segment - 1], b = path[segment];
            double seg = distance(a, b);
            double f = seg > 0 ? std::clamp((target - walked) / seg, 0.0, 1.0) : 1.0;
            point = CGPointMake(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f);
        }
        runLoop().advanceBy(stepTime);
        sendTouch(UITouchPhase::Moved, point);
    }
}

}  // namespace

void pressAndMove(const std::vector<CGPoint>& path, double duration) {
    if (path.empty()) return;
    sendTouch(UITouchPhase::Began, path.front());
    if (path.size() > 1)
        moveAlong(path, duration);
    else
        runLoop().advanceBy(std::max(duration, 0.0));
}

void drag(const std::vector<CGPoint>& path, double duration) {
    if (path.empty()) return;
    pressAndMove(path, duration);
    sendTouch(UITouchPhase::Ended, path.back());
}

void swipe(CGPoint from, CGPoint to, double duration) { drag({from, to}, duration); }

namespace {

UIKeyInput* keyInput() {
    UIResponder* responder = UIResponder::currentFirstResponder();
    auto* input = dynamic_cast<UIKeyInput*>(responder);
    if (!input) Process::shared().log().write("Text input: no first responder takes text");
    return input;
}

}  // namespace

bool typeText(const std::string& text) {
    UIKeyInput* input = keyInput();
    if (!input) return false;
    input->insertText(text);
    return true;
}

bool pressBackspace(int times) {
    UIKeyInput* input = keyInput();
    if (!input) return false;
    for (int i = 0; i < times; ++i) {
        // The first responder may change as text is deleted; ask again each time.
        input = dynamic_cast<UIKeyInput*>(UIResponder::currentFirstResponder());
        if (!input) break;
        input->deleteBackward();
    }
    return true;
}

bool pressReturn() { return typeText("\n"); }

UIView* viewAtScreenPoint(CGPoint screenPoint) { return hitTestScreen(rootsFrontToBack(), screenPoint, nullptr); }

void addTouchableRoot(const objc::Ref<UIView>& root, double level) {
    if (root) state().looseRoots.push_back({root, level});
}

std::size_t activeTouchCount() { return state().touches.size(); }

}  // namespace ios
