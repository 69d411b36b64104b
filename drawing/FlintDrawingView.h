#pragma once
// The drawing canvas: a transparent view that turns touches into drawing operations through tool
// objects, keeps every finished tool in drawing order, paints them into one cached bitmap so that
// only the stroke in progress is drawn live, and keeps an undo/redo history of tool states. Text
// boxes are live child views; the canvas is the delegate of each.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drawing/FlintDrawingLabelViewDelegate.h"
#include "drawing/FlintDrawingSnapshotCache.h"
#include "drawing/FlintDrawingTool.h"
#include "drawing/FlintDrawingToolState.h"
#include "drawing/FlintDrawingViewDelegate.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIView.h"

class FlintDrawingDraggableTextTool;
class FlintDrawingLabelView;

enum FlintDrawingToolType : std::int32_t {
    FlintDrawingToolTypePen = 0,
    FlintDrawingToolTypeLine = 1,
    FlintDrawingToolTypeArrow = 2,
    FlintDrawingToolTypeRectangleStroke = 3,
    FlintDrawingToolTypeRectangleFill = 4,
    FlintDrawingToolTypeEllipseStroke = 5,
    FlintDrawingToolTypeEllipseFill = 6,
    FlintDrawingToolTypeEraser = 7,
    FlintDrawingToolTypeDraggableText = 8,
    FlintDrawingToolTypeCustom = 9,
    FlintDrawingToolTypeTriangleFill = 10,
    FlintDrawingToolTypeTriangleStroke = 11,
    FlintDrawingToolTypePentagonFill = 12,
    FlintDrawingToolTypePentagonStroke = 13,
    FlintDrawingToolTypeHexagonFill = 14,
    FlintDrawingToolTypeHexagonStroke = 15,
};

enum FlintDrawingMode : std::uint64_t {
    FlintDrawingModeScale = 0,         // bitmaps drawn into the bounds
    FlintDrawingModeOriginalSize = 1,  // bitmaps drawn at the origin at their own size
};

inline constexpr const char* kFlintDrawingCloseImagePath =
    "/Library/Application Support/Flint.bundle/sticker_close.png";
inline constexpr const char* kFlintDrawingRotateImagePath =
    "/Library/Application Support/Flint.bundle/sticker_resize.png";

class FlintDrawingView : public ios::UIView, public FlintDrawingLabelViewDelegate {
    OBJC_CLASS_DECLARE(FlintDrawingView)
public:
    using StateArray = std::vector<FlintDrawingToolStateRef>;

    ~FlintDrawingView() override;
    using ios::UIView::init;
    // initWithFrame: the view, then configure.
    void init(const ios::CGRect& frame) override;
    void configure();

    // --- settings ---
    ios::CGPoint currentPoint() const { return m_currentPoint; }
    ios::CGPoint previousPoint1() const { return m_previousPoint1; }
    ios::CGPoint previousPoint2() const { return m_previousPoint2; }
    std::int32_t drawTool() const { return m_drawTool; }
    void setDrawTool(std::int32_t tool) { m_drawTool = tool; }
    const FlintDrawingToolRef& customDrawTool() const { return m_customDrawTool; }
    // Also selects type 9 when the tool is not none.
    void setCustomDrawTool(FlintDrawingToolRef tool);
    std::shared_ptr<FlintDrawingViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<FlintDrawingViewDelegate>& delegate) { m_delegate = delegate; }
    ios::UIColorRef lineColor() const { return m_lineColor; }
    void setLineColor(ios::UIColorRef color) { m_lineColor = std::move(color); }
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width) { m_lineWidth = width; }
    double lineAlpha() const { return m_lineAlpha; }
    void setLineAlpha(double alpha) { m_lineAlpha = alpha; }
    double edgeSnapThreshold() const { return m_edgeSnapThreshold; }
    void setEdgeSnapThreshold(double t) { m_edgeSnapThreshold = t; }
    std::uint64_t drawMode() const { return m_drawMode; }
    void setDrawMode(std::uint64_t mode) { m_drawMode = mode; }
    const std::optional<std::string>& draggableTextFontName() const { return m_draggableTextFontName; }
    void setDraggableTextFontName(std::optional<std::string> name) { m_draggableTextFontName = std::move(name); }
    ios::UIImageRef draggableTextCloseImage() const { return m_draggableTextCloseImage; }
    void setDraggableTextCloseImage(ios::UIImageRef image) { m_draggableTextCloseImage = std::move(image); }
    ios::UIImageRef draggableTextRotateImage() const { return m_draggableTextRotateImage; }
    void setDraggableTextRotateImage(ios::UIImageRef image) { m_draggableTextRotateImage = std::move(image); }
    ios::UIImageRef backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(ios::UIImageRef image) { m_backgroundImage = std::move(image); }
    ios::UIImageRef prev_image() const { return m_backgroundImage; }
    void setPrev_image(ios::UIImageRef image) { m_backgroundImage = std::move(image); }

    // --- state ---
    const std::vector<FlintDrawingToolRef>& pathArray() const { return m_pathArray; }
    const StateArray& redoStates() const { return m_redoStates; }
    const StateArray& undoStates() const { return m_undoStates; }
    const FlintDrawingToolRef& currentTool() const { return m_currentTool; }
    ios::UIImageRef cacheImage() const { return m_cacheImage; }
    const objc::Ref<FlintDrawingLabelView>& draggableTextView() const { return m_draggableTextView; }

    // --- operations ---
    void undoLatestStep();
    void redoLatestStep();
    bool canUndo() const { return !m_undoStates.empty(); }
    bool canRedo() const { return !m_redoStates.empty(); }
    void clear();
    void loadImage(const ios::UIImageRef& image);
    void loadImageData(const ios::Data& data);
    void resetTool() { m_currentTool = nullptr; }
    void commitAndDiscardToolStack();
    // The canvas as it looks now, text boxes included, at the device scale.
    ios::UIImageRef image();
    // Only the tools, without background; none when there are none.
    ios::UIImageRef drawings();
    ios::UIImageRef applyDrawToImage(const ios::UIImageRef& image);
    void prepareForSnapshot() { hideTextToolHandles(); }
    void hideTextToolHandles();
    ios::UIImageRef scaleImageProportionallyToWidth(const ios::UIImageRef& image, double width);
    ios::UIImageRef scaleImageProportionallyToHeight(const ios::UIImageRef& image, double height);
    ios::UIImageRef blendImage(const ios::UIImageRef& image, const ios::UIImageRef& topImage);

    // --- steps of the touch handlers ---
    FlintDrawingToolRef toolWithCurrentSettings();
    void snapCurrentPointToEdges();
    void updateCacheImage(bool redraw);
    void finishDrawing();
    // Whether the step about to be undone (undo stack) or redone (any other array) is the one
    // that created the tool.
    bool lastStateForTool(const FlintDrawingToolRef& tool, const StateArray& array) const;
    objc::Ref<FlintDrawingDraggableTextTool> draggableTextToolForLabel(const FlintDrawingLabelView& label) const;

    // --- UIView ---
    void drawRect(const ios::CGRect& rect) override;
    void touchesBegan(const ios::UITouchList& touches, const ios::UIEvent& event) override;
    void touchesMoved(const ios::UITouchList& touches, const ios::UIEvent& event) override;
    void touchesEnded(const ios::UITouchList& touches, const ios::UIEvent& event) override;
    void touchesCancelled(const ios::UITouchList& touches, const ios::UIEvent& event) override;

    // --- text boxes ---
    bool respondsToLabelViewMethod(Method method) const override;
    void labelViewDidClose(FlintDrawingLabelView& label) override;
    void labelViewDidBeginEditing(FlintDrawingLabelView& label) override;
    void labelViewWillShowEditingHandles(FlintDrawingLabelView& label) override;
    void labelViewDidShowEditingHandles(FlintDrawingLabelView& label) override;
    void labelViewDidHideEditingHandles(FlintDrawingLabelView& label) override;
    void labelViewNeedsConfiguration(FlintDrawingLabelView& label) override;

    // --- for tests and benchmarks ---
    // The bitmap as the plain full rebuild paints it (background, then every tool), without
    // touching the canvas's state or snapshots.
    ios::UIImageRef fullRebuildImageForTesting();
    void setSnapshotsEnabledForTesting(bool enabled);
    std::size_t snapshotCountForTesting() const { return m_snapshots.count(); }
    std::size_t snapshotBytesForTesting() const { return m_snapshots.bytes(); }

protected:
    FlintDrawingView() = default;

private:
    using DelegateMethod = FlintDrawingViewDelegate::Method;
    bool delegateResponds(DelegateMethod method) const;
    void paintBitmap(const ios::UIImageRef& image) const;
    void removeTool(const FlintDrawingTool* tool);
    void purgeStates(const FlintDrawingTool* tool);
    bool hasState(const FlintDrawingTool* tool, const StateArray& array) const;
    // The text box being edited, or none. A box that has left the canvas (undone, closed,
    // cleared, dropped) stops being the edited box here, so the next text-tool tap makes a new one.
    FlintDrawingLabelView* editedTextView();
    // Tools whose painting can no longer change: all but a stroke in progress and the reusable
    // custom tool. Snapshots cover only the leading run of such tools.
    std::size_t settledPrefixLength(bool currentToolFinished) const;
    void syncSnapshotKey();
    // Paints tools [from, to) over the snapshot's pixels (or over the background when none) in a
    // new image context; returns the image and the final graphics state.
    ios::UIImageRef paintFrom(const FlintDrawingSnapshotCache::Snapshot* snapshot, std::size_t to, bool drawTextTools,
                              ios::CGGState* endState);
    void recordSnapshotAfterFinish();

    ios::CGPoint m_currentPoint{};
    ios::CGPoint m_previousPoint1{};
    ios::CGPoint m_previousPoint2{};
    std::int32_t m_drawTool = FlintDrawingToolTypePen;
    FlintDrawingToolRef m_customDrawTool;
    std::weak_ptr<FlintDrawingViewDelegate> m_delegate;
    ios::UIColorRef m_lineColor;
    double m_lineWidth = 10.0;
    double m_lineAlpha = 1.0;
    double m_edgeSnapThreshold = 0.0;
    std::uint64_t m_drawMode = FlintDrawingModeOriginalSize;
    std::optional<std::string> m_draggableTextFontName;
    ios::UIImageRef m_draggableTextCloseImage;
    ios::UIImageRef m_draggableTextRotateImage;
    ios::UIImageRef m_backgroundImage;
    std::vector<FlintDrawingToolRef> m_pathArray;
    StateArray m_redoStates;
    StateArray m_undoStates;
    FlintDrawingToolRef m_currentTool;
    ios::UIImageRef m_cacheImage;
    objc::Ref<FlintDrawingLabelView> m_draggableTextView;

    FlintDrawingSnapshotCache m_snapshots;
    bool m_snapshotsEnabled = true;
};
