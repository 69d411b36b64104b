#pragma once
// The screen: bounds and scale from the current process's device profile, the windows (held
// weakly), the key window, and the screenshot: the visible windows composited by level.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImage.h"
#include "platform/objc/Runtime.h"

namespace ios {

class UIWindow;
class UIView;
class UITraitCollection;

class UIScreen : public objc::Object {
    OBJC_CLASS_DECLARE(UIScreen)
public:
    // The current process's screen (one per process).
    static objc::Ref<UIScreen> mainScreen();
    // The current process's screen when it has been made (and not yet destroyed), else null.
    static UIScreen* mainScreenIfExists();

    CGRect bounds() const;
    double scale() const;
    double nativeScale() const { return scale(); }
    objc::Ref<UITraitCollection> traitCollection() const;

    // Every live window, in order of creation.
    std::vector<UIWindow*> windows() const;
    // The visible windows (not hidden), bottom to top: by level, then in the order they showed.
    std::vector<UIWindow*> visibleWindows() const;
    UIWindow* keyWindow() const;

    // Lays out the visible windows, then renders them (presentation values at the current media
    // time) over black into an image of the screen at `scale` pixels per point (0 = the screen's).
    objc::Ref<UIImage> snapshot(double scale = 0);
    // The same, written as PNG; false when the file cannot be written.
    bool writeSnapshotPNG(const std::filesystem::path& path, double scale = 0);

    // Runs the layout pass of every visible window now.
    void layoutVisibleWindows();
    // Asks for a layout pass of the visible windows at the next turn of the run loop.
    void scheduleLayout();

    // Bookkeeping, used by UIWindow.
    void windowCreated(UIWindow* window);
    void windowDestroyed(UIWindow* window);
    void windowShown(UIWindow* window);
    void setKeyWindow(UIWindow* window);
    // The key window gives up being key without being told again.
    void keyWindowResigned(UIWindow* window);

protected:
    UIScreen() = default;

private:
    struct Entry {
        UIWindow* window;
        objc::WeakRef<objc::Object> weak;
    };
    std::vector<Entry> m_windows;
    UIWindow* m_keyWindow = nullptr;
    std::uint64_t m_nextSerial = 1;
    bool m_layoutScheduled = false;
};

}  // namespace ios
