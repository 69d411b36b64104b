#pragma once
// The system status bar. Its -layoutSubviews runs through the class's method table, so the
// method can be replaced by name and the replacement can call the previous implementation.

#include "platform/uikit/UIView.h"

namespace ios {

class _UIStatusBar : public UIView {
    OBJC_CLASS_DECLARE(_UIStatusBar)
public:
    void layoutSubviews() override;
    // The class's own layout, reached through the method table.
    void statusBarLayoutSubviews();
    int layoutPassCount() const { return m_layoutPasses; }

protected:
    _UIStatusBar() = default;

private:
    int m_layoutPasses = 0;
};

}  // namespace ios
