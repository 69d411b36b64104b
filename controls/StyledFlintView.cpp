#include "controls/StyledFlintView.h"

OBJC_CLASS_DEFINE(StyledFlintView, FlintDragView)

void StyledFlintView::init(const ios::CGRect& frame) { FlintDragView::init(frame); }
