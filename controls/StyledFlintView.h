#pragma once
// The drag view as the editor's tool card uses it; it adds nothing of its own.

#include "controls/FlintDragView.h"

class StyledFlintView : public FlintDragView {
    OBJC_CLASS_DECLARE(StyledFlintView)
public:
    using FlintDragView::init;
    void init(const ios::CGRect& frame) override;

protected:
    StyledFlintView() = default;
};
