#include "platform/springboard/HomeScreen.h"

#include "platform/foundation/Process.h"

namespace ios {

HomeScreen& HomeScreen::shared() { return Process::shared().attached<HomeScreen>(); }

objc::Ref<_UIStatusBar> HomeScreen::statusBar() {
    if (!m_statusBar) {
        const auto& profile = Process::shared().profile();
        m_statusBar = objc::make<_UIStatusBar>();
        m_statusBar->setFrame(CGRectMake(0, 0, profile.width, profile.statusBarHeight));
    }
    return m_statusBar;
}

void HomeScreen::layoutStatusBar() {
    auto bar = statusBar();
    bar->setNeedsLayout();
    bar->layoutIfNeeded();
}

}  // namespace ios
