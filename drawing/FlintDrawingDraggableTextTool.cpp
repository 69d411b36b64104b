#include "drawing/FlintDrawingDraggableTextTool.h"

#include "drawing/FlintDrawingToolState.h"
#include "drawing/FlintDrawingView.h"
#include "platform/text/UIFont.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingDraggableTextTool, objc::Object)

void FlintDrawingDraggableTextTool::setInitialPoint(CGPoint point) {
    m_labelView = objc::make<FlintDrawingLabelView>(CGRect{point, {50, 100}});
    configureLabelView();
    m_labelView->beginEditing();
}

void FlintDrawingDraggableTextTool::configureLabelView() {
    if (!m_labelView) return;
    auto canvas = m_drawingView.lock();
    m_labelView->setDelegate(canvas);
    m_labelView->setFontSize(18);
    m_labelView->setTextColor(m_lineColor);
    if (canvas && canvas->draggableTextFontName())
        m_labelView->setFontName(*canvas->draggableTextFontName());
    else
        m_labelView->setFontName(UIFont::systemFontOfSize(m_labelView->fontSize())->fontName());
    if (canvas) {
        m_labelView->setCloseImage(canvas->draggableTextCloseImage());
        m_labelView->setRotateImage(canvas->draggableTextRotateImage());
        // The box's delegate is always the canvas, which implements this one.
        canvas->labelViewNeedsConfiguration(*m_labelView);
    }
    m_labelView->applyLayout();
}

void FlintDrawingDraggableTextTool::draw() {
    if (!m_labelView || m_labelView->superview()) return;
    if (auto canvas = m_drawingView.lock()) canvas->addSubview(m_labelView);
}

objc::Ref<FlintDrawingToolState> FlintDrawingDraggableTextTool::captureToolState() {
    return FlintDrawingToolState::stateForTool(FlintDrawingToolSelf(*this), true);
}

objc::id FlintDrawingDraggableTextTool::capturePositionObject() {
    if (!m_labelView) return FlintDrawingLabelViewTransform::transform({0, 0, 0, 0, 0, 0}, CGPointZero, CGRectZero);
    auto position = FlintDrawingLabelViewTransform::transform(m_labelView->transform(), m_labelView->center(),
                                                              m_labelView->bounds());
    position->setFontSize(m_labelView->fontSize());
    return position;
}

void FlintDrawingDraggableTextTool::applyToolState(const objc::Ref<FlintDrawingToolState>& state) {
    if (state && state->hasPositionObject())
        applyTransform(objc::cast<FlintDrawingLabelViewTransform>(state->positionObject()));
    draw();
}

void FlintDrawingDraggableTextTool::applyTransform(const objc::Ref<FlintDrawingLabelViewTransform>& position) {
    if (!position || !m_labelView) return;
    auto box = m_labelView;
    UIView::animateWithDuration(0.3, [&] {
        box->setCenter(position->center());
        box->setTransform(position->transform());
        box->setBounds(position->bounds());
        // The box gets back the font it had there; refitting to the whole box would enlarge it.
        if (position->fontSize() > 0)
            box->setFontSize(position->fontSize());
        else
            box->resizeInRect(box->fontFittingRect(position->bounds()));
    });
}

void FlintDrawingDraggableTextTool::hideHandle() {
    if (m_labelView) m_labelView->hideEditingHandles();
}

void FlintDrawingDraggableTextTool::undraw() {
    if (m_labelView) m_labelView->removeFromSuperview();
}
