#pragma once
// Observer of a drag view's state. The one method is optional: the view calls it only when the
// delegate answers respondsToDidChangeState.

class FlintDragView;

class FlintDragViewDelegate {
public:
    virtual ~FlintDragViewDelegate() = default;
    virtual bool respondsToDidChangeState() const { return false; }
    virtual void flintDragViewDidChangeState(FlintDragView& view, bool opened) {}
};
