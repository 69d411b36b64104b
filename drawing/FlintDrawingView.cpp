#include "drawing/FlintDrawingView.h"

#include <algorithm>
#include <cassert>

#include "drawing/FlintDrawingArrowTool.h"
#include "drawing/FlintDrawingDraggableTextTool.h"
#include "drawing/FlintDrawingEllipseTool.h"
#include "drawing/FlintDrawingEraserTool.h"
#include "drawing/FlintDrawingHexagonTool.h"
#include "drawing/FlintDrawingLabelView.h"
#include "drawing/FlintDrawingLineTool.h"
#include "drawing/FlintDrawingPenTool.h"
#include "drawing/FlintDrawingPentagonTool.h"
#include "drawing/FlintDrawingRectangleTool.h"
#include "drawing/FlintDrawingTriangleTool.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingView, UIView)

namespace {

template <class T>
objc::Ref<T> toolAs(const FlintDrawingToolRef& tool) {
    return std::dynamic_pointer_cast<T>(tool);
}

bool isTextTool(const FlintDrawingToolRef& tool) { return toolAs<FlintDrawingDraggableTextTool>(tool) != nullptr; }

// The tool classes of this library, whose painting depends on nothing but their own geometry
// and the context's state.
bool isBuiltInTool(const FlintDrawingToolRef& tool) {
    auto* object = dynamic_cast<objc::Object*>(tool.get());
    if (!object) return false;
    const objc::Class& cls = object->objcClass();
    for (const objc::Class* known :
         {&FlintDrawingPenTool::staticClass(), &FlintDrawingEraserTool::staticClass(),
          &FlintDrawingLineTool::staticClass(), &FlintDrawingArrowTool::staticClass(),
          &FlintDrawingRectangleTool::staticClass(), &FlintDrawingEllipseTool::staticClass(),
          &FlintDrawingTriangleTool::staticClass(), &FlintDrawingPentagonTool::staticClass(),
          &FlintDrawingHexagonTool::staticClass(), &FlintDrawingDraggableTextTool::staticClass()})
        if (&cls == known) return true;
    return false;
}

// Decodes one UTF-8 character at `i` and steps past it; a malformed byte decodes as itself
// (never white space beyond ASCII).
char32_t nextCharacter(const std::string& s, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
        ++i;
        return lead;
    }
    char32_t c = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return c;
}

// White space and line breaks as the platform trims them: the Unicode space separators, line
// and paragraph separators, tab and the line-break controls.
bool isWhiteSpaceOrLineBreak(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isBlankText(const std::string& text) {
    for (std::size_t i = 0; i < text.size();)
        if (!isWhiteSpaceOrLineBreak(nextCharacter(text, i))) return false;
    return true;
}

// Tools finished this way at most are painted onto the latest snapshot at touch-up.
constexpr std::size_t kSnapshotCatchUpLimit = 4;

}  // namespace

FlintDrawingView::~FlintDrawingView() {
    m_pathArray.clear();
    m_redoStates.clear();
    m_undoStates.clear();
    m_currentTool.reset();
    m_cacheImage.reset();
    m_backgroundImage.reset();
    m_customDrawTool.reset();
}

void FlintDrawingView::init(const CGRect& frame) {
    UIView::init(frame);
    configure();
}

void FlintDrawingView::configure() {
    m_pathArray.clear();
    m_redoStates.clear();
    m_undoStates.clear();
    m_lineColor = UIColor::blackColor();
    m_lineWidth = 10.0;
    m_lineAlpha = 1.0;
    m_drawMode = FlintDrawingModeOriginalSize;
    setBackgroundColor(UIColor::clearColor());
    m_draggableTextCloseImage = UIImage::imageWithContentsOfFile(kFlintDrawingCloseImagePath);
    m_draggableTextRotateImage = UIImage::imageWithContentsOfFile(kFlintDrawingRotateImagePath);
}

void FlintDrawingView::setCustomDrawTool(FlintDrawingToolRef tool) {
    m_customDrawTool = std::move(tool);
    if (m_customDrawTool) m_drawTool = FlintDrawingToolTypeCustom;
}

// --- delegate -----------------------------------------------------------------------------------

bool FlintDrawingView::delegateResponds(DelegateMethod method) const {
    auto d = m_delegate.lock();
    return d && d->respondsToDrawingViewMethod(method);
}

// --- painting -----------------------------------------------------------------------------------

void FlintDrawingView::paintBitmap(const UIImageRef& image) const {
    if (!image) return;
    if (m_drawMode == FlintDrawingModeScale)
        image->drawInRect(bounds());
    else if (m_drawMode == FlintDrawingModeOriginalSize)
        image->drawAtPoint(CGPointZero);
}

void FlintDrawingView::drawRect(const CGRect&) {
    paintBitmap(m_cacheImage);
    if (m_currentTool) m_currentTool->draw();
}

std::size_t FlintDrawingView::settledPrefixLength(bool currentToolFinished) const {
    std::size_t n = 0;
    for (const auto& tool : m_pathArray) {
        if (!isBuiltInTool(tool) || tool == m_customDrawTool) break;
        if (tool == m_currentTool && !currentToolFinished && !isTextTool(tool)) break;
        ++n;
    }
    return n;
}

void FlintDrawingView::syncSnapshotKey() {
    m_snapshots.setKey(m_backgroundImage, m_drawMode, bounds().size, mainScreenScale());
}

UIImageRef FlintDrawingView::paintFrom(const FlintDrawingSnapshotCache::Snapshot* snapshot, std::size_t to,
                                       bool drawTextTools, CGGState* endState) {
    UIGraphicsBeginImageContextWithOptions(bounds().size, false, mainScreenScale());
    CGContextRef context = UIGraphicsGetCurrentContext();
    std::size_t start = 0;
    if (context && snapshot && FlintDrawingSnapshotCache::copyPixels(*snapshot->image, *context)) {
        FlintDrawingSnapshotCache::applyState(*context, snapshot->state);
        start = snapshot->prefix.size();
        // Text boxes paint nothing, but drawing one puts its box back on the canvas.
        if (drawTextTools)
            for (std::size_t i = 0; i < start; ++i)
                if (isTextTool(m_pathArray[i])) m_pathArray[i]->draw();
    } else {
        UIImageRef background = m_backgroundImage;
        paintBitmap(background);
    }
    auto tools = m_pathArray;
    for (std::size_t i = start; i < to && i < tools.size(); ++i) tools[i]->draw();
    UIImageRef image = UIGraphicsGetImageFromCurrentImageContext();
    if (endState && context) *endState = context->gstate();
    UIGraphicsEndImageContext();
    return image;
}

void FlintDrawingView::updateCacheImage(bool redraw) {
    if (!redraw) {
        UIGraphicsBeginImageContextWithOptions(bounds().size, false, mainScreenScale());
        paintBitmap(m_cacheImage);
        if (m_currentTool) m_currentTool->draw();
        m_cacheImage = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        return;
    }
    m_cacheImage = nullptr;
    std::size_t n = m_pathArray.size();
    if (!m_snapshotsEnabled) {
        m_cacheImage = paintFrom(nullptr, n, false, nullptr);
        return;
    }
    syncSnapshotKey();
    std::size_t settled = settledPrefixLength(false);
    const FlintDrawingSnapshotCache::Snapshot* snapshot = m_snapshots.best(m_pathArray, settled);
    if (snapshot && snapshot->prefix.size() == n) {
        UIImageRef image = snapshot->image;
        auto tools = m_pathArray;
        for (auto& tool : tools)
            if (isTextTool(tool)) tool->draw();
        m_cacheImage = image;
        return;
    }
    CGGState end;
    m_cacheImage = paintFrom(snapshot, n, true, &end);
    if (settled == n) m_snapshots.record(m_pathArray, n, m_cacheImage, end);
}

void FlintDrawingView::recordSnapshotAfterFinish() {
    if (!m_snapshotsEnabled) return;
    syncSnapshotKey();
    std::size_t n = m_pathArray.size();
    if (settledPrefixLength(true) != n) return;
    const FlintDrawingSnapshotCache::Snapshot* snapshot = m_snapshots.best(m_pathArray, n);
    std::size_t k = snapshot ? snapshot->prefix.size() : 0;
    if (k == n || n - k > kSnapshotCatchUpLimit) return;
    CGGState end;
    UIImageRef image = paintFrom(snapshot, n, false, &end);
    m_snapshots.record(m_pathArray, n, image, end);
}

UIImageRef FlintDrawingView::fullRebuildImageForTesting() {
    return paintFrom(nullptr, m_pathArray.size(), false, nullptr);
}

void FlintDrawingView::setSnapshotsEnabledForTesting(bool enabled) {
    m_snapshotsEnabled = enabled;
    if (!enabled) m_snapshots.clear();
}

// --- tools --------------------------------------------------------------------------------------

FlintDrawingToolRef FlintDrawingView::toolWithCurrentSettings() {
    auto fillable = [](objc::Ref<FlintDrawingFillableTool> tool, bool fill) -> FlintDrawingToolRef {
        tool->setFill(fill);
        return tool;
    };
    switch (m_drawTool) {
    case FlintDrawingToolTypePen: return objc::make<FlintDrawingPenTool>();
    case FlintDrawingToolTypeLine: return objc::make<FlintDrawingLineTool>();
    case FlintDrawingToolTypeArrow: return objc::make<FlintDrawingArrowTool>();
    case FlintDrawingToolTypeRectangleStroke: return fillable(objc::make<FlintDrawingRectangleTool>(), false);
    case FlintDrawingToolTypeRectangleFill: return fillable(objc::make<FlintDrawingRectangleTool>(), true);
    case FlintDrawingToolTypeEllipseStroke: return fillable(objc::make<FlintDrawingEllipseTool>(), false);
    case FlintDrawingToolTypeEllipseFill: return fillable(objc::make<FlintDrawingEllipseTool>(), true);
    case FlintDrawingToolTypeEraser: return objc::make<FlintDrawingEraserTool>();
    case FlintDrawingToolTypeDraggableText: {
        auto tool = objc::make<FlintDrawingDraggableTextTool>();
        tool->setDrawingView(std::static_pointer_cast<FlintDrawingView>(shared_from_this()));
        return tool;
    }
    case FlintDrawingToolTypeCustom: return m_customDrawTool;
    case FlintDrawingToolTypeTriangleFill: return fillable(objc::make<FlintDrawingTriangleTool>(), true);
    case FlintDrawingToolTypeTriangleStroke: return fillable(objc::make<FlintDrawingTriangleTool>(), false);
    case FlintDrawingToolTypePentagonFill: return fillable(objc::make<FlintDrawingPentagonTool>(), true);
    case FlintDrawingToolTypePentagonStroke: return fillable(objc::make<FlintDrawingPentagonTool>(), false);
    case FlintDrawingToolTypeHexagonFill: return fillable(objc::make<FlintDrawingHexagonTool>(), true);
    case FlintDrawingToolTypeHexagonStroke: return fillable(objc::make<FlintDrawingHexagonTool>(), false);
    default:
        NSLog("FlintDrawingView: no tool of type %@; drawing with the pen", std::to_string(m_drawTool));
        return objc::make<FlintDrawingPenTool>();
    }
}

void FlintDrawingView::snapCurrentPointToEdges() {
    double t = m_edgeSnapThreshold;
    CGRect f = frame();
    double w = static_cast<double>(static_cast<long long>(f.size.width));
    double h = static_cast<double>(static_cast<long long>(f.size.height));
    if (m_currentPoint.x < t)
        m_currentPoint.x = 0;
    else if (m_currentPoint.x > w - t)
        m_currentPoint.x = w;
    if (m_currentPoint.y < t)
        m_currentPoint.y = 0;
    else if (m_currentPoint.y > h - t)
        m_currentPoint.y = h;
}

// --- touches ------------------------------------------------------------------------------------

void FlintDrawingView::touchesBegan(const UITouchList& touches, const UIEvent&) {
    if (touches.empty()) return;
    auto keep = shared_from_this();
    const UITouch& touch = *touches.front();
    if (FlintDrawingLabelView* edited = editedTextView();
        edited && edited->isEditing() && m_drawTool != FlintDrawingToolTypeDraggableText)
        edited->hideEditingHandles();
    m_previousPoint1 = touch.previousLocationInView(this);
    m_currentPoint = touch.locationInView(this);

    m_currentTool = toolWithCurrentSettings();
    FlintDrawingToolRef tool = m_currentTool;
    if (!tool) return;  // type 9 without a custom tool
    tool->setLineWidth(m_lineWidth);
    tool->setLineColor(m_lineColor);
    tool->setLineAlpha(m_lineAlpha);

    if (m_edgeSnapThreshold > 0 && toolAs<FlintDrawingRectangleTool>(tool)) snapCurrentPointToEdges();
    if (!isTextTool(tool)) {
        m_pathArray.push_back(tool);
        m_undoStates.push_back(tool->captureToolState());
        tool->setInitialPoint(m_currentPoint);
    }
    if (delegateResponds(DelegateMethod::WillBeginDraw)) delegate()->drawingViewWillBeginDrawUsingTool(*this, tool);
}

void FlintDrawingView::touchesMoved(const UITouchList& touches, const UIEvent&) {
    if (touches.empty()) return;
    const UITouch& touch = *touches.front();
    m_previousPoint2 = m_previousPoint1;
    m_previousPoint1 = touch.previousLocationInView(this);
    m_currentPoint = touch.locationInView(this);
    FlintDrawingToolRef tool = m_currentTool;
    if (!tool) return;
    if (m_edgeSnapThreshold > 0 && toolAs<FlintDrawingRectangleTool>(tool)) snapCurrentPointToEdges();
    if (auto pen = toolAs<FlintDrawingPenTool>(tool)) {
        CGRect box = pen->addPathPreviousPreviousPoint(m_previousPoint2, m_previousPoint1, m_currentPoint);
        box.origin.x -= m_lineWidth * 2;
        box.origin.y -= m_lineWidth * 2;
        box.size.width += m_lineWidth * 4;
        box.size.height += m_lineWidth * 4;
        setNeedsDisplayInRect(box);
    } else if (!isTextTool(tool)) {
        tool->moveFromPoint(m_previousPoint1, m_currentPoint);
        setNeedsDisplay();
    }
}

void FlintDrawingView::touchesEnded(const UITouchList& touches, const UIEvent& event) {
    if (touches.empty()) return;
    auto keep = shared_from_this();
    touchesMoved(touches, event);
    FlintDrawingToolRef tool = m_currentTool;
    if (!tool) return;
    if (auto text = toolAs<FlintDrawingDraggableTextTool>(tool)) {
        if (FlintDrawingLabelView* edited = editedTextView(); edited && edited->isEditing()) {
            edited->hideEditingHandles();
        } else {
            text->setInitialPoint(touches.front()->locationInView(this));
            m_draggableTextView = text->labelView();
            m_pathArray.push_back(tool);
            finishDrawing();
        }
        return;
    }
    finishDrawing();
}

void FlintDrawingView::touchesCancelled(const UITouchList& touches, const UIEvent& event) {
    touchesEnded(touches, event);
}

void FlintDrawingView::finishDrawing() {
    updateCacheImage(false);
    recordSnapshotAfterFinish();
    m_redoStates.clear();
    FlintDrawingToolRef tool = m_currentTool;
    if (delegateResponds(DelegateMethod::DidEndDraw)) delegate()->drawingViewDidEndDrawUsingTool(*this, tool);
    m_currentTool = nullptr;
}

// --- history ------------------------------------------------------------------------------------

bool FlintDrawingView::lastStateForTool(const FlintDrawingToolRef& tool, const StateArray& array) const {
    auto count =
        std::count_if(array.begin(), array.end(), [&](const FlintDrawingToolStateRef& s) { return s->tool() == tool; });
    if (count == 0) {
        NSLog("%@", std::string("There much be atleast one state with a matching tool"));
        assert(!"There much be atleast one state with a matching tool");
        return false;
    }
    if (&array == &m_undoStates) return count == 1;
    return count == 2;
}

void FlintDrawingView::removeTool(const FlintDrawingTool* tool) {
    std::erase_if(m_pathArray, [&](const FlintDrawingToolRef& t) { return t.get() == tool; });
}

FlintDrawingLabelView* FlintDrawingView::editedTextView() {
    if (m_draggableTextView && m_draggableTextView->superview() != this) m_draggableTextView = nullptr;
    return m_draggableTextView.get();
}

bool FlintDrawingView::hasState(const FlintDrawingTool* tool, const StateArray& array) const {
    return std::any_of(array.begin(), array.end(),
                       [&](const FlintDrawingToolStateRef& s) { return s->tool().get() == tool; });
}

void FlintDrawingView::purgeStates(const FlintDrawingTool* tool) {
    auto mine = [&](const FlintDrawingToolStateRef& s) { return s->tool().get() == tool; };
    std::erase_if(m_undoStates, mine);
    std::erase_if(m_redoStates, mine);
}

void FlintDrawingView::undoLatestStep() {
    if (!canUndo()) return;
    auto keep = shared_from_this();
    FlintDrawingToolStateRef state = m_undoStates.back();
    FlintDrawingToolRef tool = state->tool();
    m_redoStates.push_back(state);
    m_redoStates.push_back(tool->captureToolState());
    if (lastStateForTool(tool, m_undoStates)) {
        if (auto text = toolAs<FlintDrawingDraggableTextTool>(tool)) text->undraw();
        removeTool(tool.get());
        m_undoStates.pop_back();
        editedTextView();
    } else {
        m_undoStates.pop_back();
        if (tool->respondsToApplyToolState()) tool->applyToolState(state);
    }
    updateCacheImage(true);
    setNeedsDisplay();
    if (delegateResponds(DelegateMethod::DidUndoDraw)) delegate()->drawingViewDidUndoDrawUsingTool(*this, tool);
}

void FlintDrawingView::redoLatestStep() {
    if (!canRedo()) return;
    auto keep = shared_from_this();
    FlintDrawingToolStateRef state = m_redoStates.back();
    FlintDrawingToolRef tool = state->tool();
    // Applying a state puts a text box back on the canvas, so a tool that is not listed is
    // listed again whichever of its states comes first (a moved box has several). A listed text
    // box is never listed twice; other tools keep the creation-step rule.
    bool listed =
        std::any_of(m_pathArray.begin(), m_pathArray.end(), [&](const FlintDrawingToolRef& t) { return t == tool; });
    if (!listed || (!isTextTool(tool) && lastStateForTool(tool, m_redoStates))) m_pathArray.push_back(tool);
    m_redoStates.pop_back();
    if (tool->respondsToApplyToolState()) tool->applyToolState(state);
    if (!m_redoStates.empty()) {
        m_undoStates.push_back(m_redoStates.back());
        m_redoStates.pop_back();
    }
    updateCacheImage(true);
    setNeedsDisplay();
    if (delegateResponds(DelegateMethod::DidRedoDraw)) delegate()->drawingViewDidRedoDrawUsingTool(*this, tool);
}

void FlintDrawingView::clear() {
    auto keep = shared_from_this();
    resetTool();
    auto tools = m_pathArray;
    for (auto& tool : tools)
        if (auto text = toolAs<FlintDrawingDraggableTextTool>(tool)) text->undraw();
    m_redoStates.clear();
    m_undoStates.clear();
    m_pathArray.clear();
    editedTextView();
    m_backgroundImage = nullptr;
    updateCacheImage(true);
    setNeedsDisplay();
}

void FlintDrawingView::loadImage(const UIImageRef& image) {
    m_cacheImage = image;
    // Images are immutable: the copy shares the pixels.
    m_backgroundImage = image ? image->imageWithRenderingMode(image->renderingMode()) : nullptr;
    m_redoStates.clear();
    m_undoStates.clear();
    m_pathArray.clear();
    updateCacheImage(true);
    setNeedsDisplay();
}

void FlintDrawingView::loadImageData(const Data& data) {
    UIScreen* screen = UIScreen::mainScreenIfExists();
    double scale = screen && screen->scale() > 0 ? screen->scale() : 1.0;
    loadImage(UIImage::imageWithData(data, scale));
}

void FlintDrawingView::commitAndDiscardToolStack() {
    updateCacheImage(true);
    m_backgroundImage = m_cacheImage;
    m_pathArray.clear();
}

// --- images -------------------------------------------------------------------------------------

UIImageRef FlintDrawingView::image() {
    layoutIfNeeded();
    UIGraphicsBeginImageContextWithOptions(frame().size, false, 0);
    UIImageRef result;
    if (CGContextRef context = UIGraphicsGetCurrentContext()) {
        layer()->renderInContext(*context);
        result = UIGraphicsGetImageFromCurrentImageContext();
    }
    UIGraphicsEndImageContext();
    return result;
}

UIImageRef FlintDrawingView::drawings() {
    if (m_pathArray.empty()) return nullptr;
    UIGraphicsBeginImageContextWithOptions(bounds().size, false, 0);
    auto tools = m_pathArray;
    for (auto& tool : tools) tool->draw();
    UIImageRef result = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return result;
}

UIImageRef FlintDrawingView::scaleImageProportionallyToWidth(const UIImageRef& image, double width) {
    if (!image || image->size().width <= 0) return image;
    CGSize size = image->size();
    double height = size.height * (width / size.width);
    UIGraphicsBeginImageContextWithOptions({width, height}, false, 1.0);
    image->drawInRect({{0, 0}, {width, height}});
    UIImageRef result = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return result;
}

UIImageRef FlintDrawingView::scaleImageProportionallyToHeight(const UIImageRef& image, double height) {
    if (!image || image->size().height <= 0) return image;
    CGSize size = image->size();
    double width = size.width * (height / size.height);
    UIGraphicsBeginImageContextWithOptions({width, height}, false, 1.0);
    image->drawInRect({{0, 0}, {width, height}});
    UIImageRef result = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return result;
}

UIImageRef FlintDrawingView::blendImage(const UIImageRef& image, const UIImageRef& topImage) {
    if (!image) return topImage;
    UIGraphicsBeginImageContextWithOptions(image->size(), false, 1.0);
    image->drawAtPoint(CGPointZero);
    if (topImage) topImage->drawAtPoint(CGPointZero);
    UIImageRef result = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return result;
}

UIImageRef FlintDrawingView::applyDrawToImage(const UIImageRef& base) {
    UIImageRef drawn = image();
    if (!base) return drawn;
    CGSize size = base->size();
    UIImageRef scaled = size.width > size.height ? scaleImageProportionallyToWidth(drawn, size.width)
                                                 : scaleImageProportionallyToHeight(drawn, size.height);
    return blendImage(base, scaled);
}

void FlintDrawingView::hideTextToolHandles() {
    auto tools = m_pathArray;
    for (auto& tool : tools)
        if (auto text = toolAs<FlintDrawingDraggableTextTool>(tool)) text->hideHandle();
}

// --- text boxes ---------------------------------------------------------------------------------

objc::Ref<FlintDrawingDraggableTextTool> FlintDrawingView::draggableTextToolForLabel(
    const FlintDrawingLabelView& label) const {
    for (const auto& tool : m_pathArray)
        if (auto text = toolAs<FlintDrawingDraggableTextTool>(tool); text && text->labelView().get() == &label)
            return text;
    return nullptr;
}

bool FlintDrawingView::respondsToLabelViewMethod(Method method) const {
    switch (method) {
    case Method::DidClose:
    case Method::DidBeginEditing:
    case Method::WillShowEditingHandles:
    case Method::DidShowEditingHandles:
    case Method::DidHideEditingHandles:
    case Method::NeedsConfiguration: return true;
    default: return false;
    }
}

void FlintDrawingView::labelViewDidClose(FlintDrawingLabelView& label) {
    // A closed box is gone for good: its history goes with it, so no undo can bring it back.
    if (auto tool = draggableTextToolForLabel(label)) {
        removeTool(tool.get());
        purgeStates(tool.get());
    }
    editedTextView();
    FlintDrawingToolRef current = m_currentTool;
    if (delegateResponds(DelegateMethod::DidEndDraw)) delegate()->drawingViewDidEndDrawUsingTool(*this, current);
}

void FlintDrawingView::labelViewDidBeginEditing(FlintDrawingLabelView& label) {
    if (auto tool = draggableTextToolForLabel(label)) m_undoStates.push_back(tool->captureToolState());
}

void FlintDrawingView::labelViewWillShowEditingHandles(FlintDrawingLabelView&) { hideTextToolHandles(); }

void FlintDrawingView::labelViewDidShowEditingHandles(FlintDrawingLabelView& label) {
    m_draggableTextView = std::static_pointer_cast<FlintDrawingLabelView>(label.shared_from_this());
}

void FlintDrawingView::labelViewDidHideEditingHandles(FlintDrawingLabelView& label) {
    auto tool = draggableTextToolForLabel(label);
    if (!tool) return;
    if (isBlankText(label.textValue())) {
        // A box without text is dropped altogether: off the list, off the canvas, out of the history.
        removeTool(tool.get());
        purgeStates(tool.get());
        tool->undraw();
        editedTextView();
        return;
    }
    if (!hasState(tool.get(), m_undoStates)) {
        m_undoStates.push_back(tool->captureToolState());
        if (delegateResponds(DelegateMethod::DidEndDraw)) delegate()->drawingViewDidEndDrawUsingTool(*this, tool);
    }
}

void FlintDrawingView::labelViewNeedsConfiguration(FlintDrawingLabelView& label) {
    if (delegateResponds(DelegateMethod::ConfigureTextToolLabelView))
        delegate()->drawingViewConfigureTextToolLabelView(*this, label);
}
