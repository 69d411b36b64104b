#pragma once
// The home screen of the simulated process: for now its status bar, sized from the device
// profile, and the layout passes the home screen runs on it.

#include "platform/objc/Runtime.h"
#include "platform/springboard/_UIStatusBar.h"

namespace ios {

class HomeScreen {
public:
    // The current process's home screen, made on first use.
    static HomeScreen& shared();

    objc::Ref<_UIStatusBar> statusBar();
    // Marks the status bar for layout and runs the pass, as the home screen does when it shows it.
    void layoutStatusBar();

private:
    objc::Ref<_UIStatusBar> m_statusBar;
};

}  // namespace ios
