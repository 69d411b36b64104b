#include "platform/uikit/UIScreenRetainedFrame.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

namespace ios {

namespace {

struct RetainedFrames {
    std::vector<std::unique_ptr<CARetainedRenderer>> frames;
};

}  // namespace

CARetainedRenderer& UIScreenRetainedFrame(double scale) {
    auto screen = UIScreen::mainScreen();
    if (!(scale > 0) || !std::isfinite(scale)) scale = screen->scale();
    screen->layoutVisibleWindows();
    CGSize size = screen->bounds().size;
    auto& frames = Process::shared().attached<RetainedFrames>().frames;
    auto it = std::find_if(frames.begin(), frames.end(), [&](const auto& f) { return f->scale() == scale; });
    if (it != frames.end() && ((*it)->size().width != size.width || (*it)->size().height != size.height)) {
        frames.erase(it);  // the device changed size
        it = frames.end();
    }
    if (it == frames.end()) {
        frames.push_back(std::make_unique<CARetainedRenderer>(size, scale, UIColor::blackColor()));
        it = frames.end() - 1;
    }
    std::vector<objc::id> keep;
    std::vector<CALayer*> roots;
    for (UIWindow* w : screen->visibleWindows()) {
        keep.push_back(w->shared_from_this());
        roots.push_back(w->layer().get());
    }
    (*it)->update(roots);
    return **it;
}

}  // namespace ios
