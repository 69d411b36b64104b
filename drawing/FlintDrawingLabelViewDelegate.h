#pragma once
// Events of a text box. Every method is optional: a delegate answers respondsTo… for the ones it
// implements, and the box sends only those.

class FlintDrawingLabelView;

class FlintDrawingLabelViewDelegate {
public:
    virtual ~FlintDrawingLabelViewDelegate() = default;

    enum class Method {
        DidClose,
        WillShowEditingHandles,
        DidShowEditingHandles,
        DidHideEditingHandles,
        DidStartEditing,  // the text field started text entry
        DidBeginEditing,  // a drag or rotation began
        DidChangeEditing,
        DidEndEditing,
        NeedsConfiguration,
    };
    virtual bool respondsToLabelViewMethod(Method method) const { return false; }

    virtual void labelViewDidClose(FlintDrawingLabelView& label) {}
    virtual void labelViewWillShowEditingHandles(FlintDrawingLabelView& label) {}
    virtual void labelViewDidShowEditingHandles(FlintDrawingLabelView& label) {}
    virtual void labelViewDidHideEditingHandles(FlintDrawingLabelView& label) {}
    virtual void labelViewDidStartEditing(FlintDrawingLabelView& label) {}
    virtual void labelViewDidBeginEditing(FlintDrawingLabelView& label) {}
    virtual void labelViewDidChangeEditing(FlintDrawingLabelView& label) {}
    virtual void labelViewDidEndEditing(FlintDrawingLabelView& label) {}
    virtual void labelViewNeedsConfiguration(FlintDrawingLabelView& label) {}
};
