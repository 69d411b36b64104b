#pragma once
// A text box on the drawing canvas: a bordered one-line text field with a close handle at its
// top-left corner and a rotate/scale handle at its bottom-right corner. The user drags it, rotates
// and resizes it by the handle, taps it to select or deselect it, and types into it.

#include <optional>
#include <string>

#include "drawing/FlintDrawingLabelViewDelegate.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CAShapeLayer.h"
#include "platform/uikit/NSAttributedString.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIView.h"

class FlintDrawingLabelView : public ios::UIView {
    OBJC_CLASS_DECLARE(FlintDrawingLabelView)
public:
    using ios::UIView::init;
    void init(const ios::CGRect& frame) override;

    // --- flags ---
    bool showsContentShadow() const { return m_showsContentShadow; }
    void setShowsContentShadow(bool shows);
    bool enableClose() const { return m_enableClose; }
    void setEnableClose(bool enable);
    bool enableRotate() const { return m_enableRotate; }
    void setEnableRotate(bool enable);
    bool enableMoveRestriction() const { return m_enableMoveRestriction; }
    void setEnableMoveRestriction(bool restrict) { m_enableMoveRestriction = restrict; }
    bool isShowingEditingHandles() const { return m_showEditingHandles; }
    bool isEditing() const { return m_showEditingHandles; }

    // --- text ---
    std::string textValue() const { return m_labelTextField->text(); }
    double textAlpha() const { return m_labelTextField->alpha(); }
    void setTextAlpha(double alpha) { m_labelTextField->setAlpha(alpha); }
    ios::UIColorRef textColor() const { return m_textColor; }
    void setTextColor(ios::UIColorRef color);
    ios::UIColorRef borderColor() const { return m_borderColor; }
    void setBorderColor(ios::UIColorRef color);
    const std::string& fontName() const { return m_fontName; }
    // Ignored when empty; otherwise sets the field's font and fits the box's width to the text.
    void setFontName(const std::string& name);
    double fontSize() const { return m_fontSize; }
    // Sets the field's font at that size; the box keeps its size.
    void setFontSize(double size);
    const ios::NSAttributedStringRef& attributedPlFlintholder() const { return m_attributedPlaceholder; }
    void setAttributedPlFlintholder(const ios::NSAttributedStringRef& placeholder);

    // --- handles ---
    ios::UIImageRef closeImage() const { return m_closeImage; }
    void setCloseImage(ios::UIImageRef image);
    ios::UIImageRef rotateImage() const { return m_rotateImage; }
    void setRotateImage(ios::UIImageRef image);
    const objc::Ref<ios::UIButton>& closeButton() const { return m_closeButton; }
    const objc::Ref<ios::UIButton>& rotateButton() const { return m_rotateButton; }
    ios::CGPoint closeButtonOffset() const { return m_closeButtonOffset; }
    void setCloseButtonOffset(ios::CGPoint p) { m_closeButtonOffset = p; }
    ios::CGPoint rotateButtonOffset() const { return m_rotateButtonOffset; }
    void setRotateButtonOffset(ios::CGPoint p) { m_rotateButtonOffset = p; }
    ios::CGSize closeButtonSize() const { return m_closeButtonSize; }
    void setCloseButtonSize(ios::CGSize s) { m_closeButtonSize = s; }
    ios::CGSize rotateButtonSize() const { return m_rotateButtonSize; }
    void setRotateButtonSize(ios::CGSize s) { m_rotateButtonSize = s; }
    ios::CGSize globalInsets() const { return m_globalInsets; }
    void setGlobalInsets(ios::CGSize s) { m_globalInsets = s; }

    // --- shadow ---
    ios::UIColorRef shadowColor() const { return m_shadowColor; }
    void setShadowColor(ios::UIColorRef color);
    ios::CGSize shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(ios::CGSize offset);
    double shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(double opacity);
    double shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(double radius);

    // --- parts and gesture state ---
    const objc::Ref<ios::UITextField>& labelTextField() const { return m_labelTextField; }
    const objc::Ref<ios::CAShapeLayer>& border() const { return m_border; }
    double initialDistance() const { return m_initialDistance; }
    double deltaAngle() const { return m_deltaAngle; }
    ios::CGPoint touchLocation() const { return m_touchLocation; }
    ios::CGRect initialBounds() const { return m_initialBounds; }
    ios::CGRect beginBounds() const { return m_beginBounds; }

    // Held weakly.
    std::shared_ptr<FlintDrawingLabelViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<FlintDrawingLabelViewDelegate>& delegate) { m_delegate = delegate; }

    // --- operations ---
    void setFrame(const ios::CGRect& frame);
    void didMoveToSuperview() override;
    void layoutSubviews() override;
    void applyLayout();
    void refresh();
    void beginEditing();
    void showEditingHandles();
    void hideEditingHandles();
    void resizeInRect(const ios::CGRect& rect);
    // The rectangle a font must fit for the box to have the given bounds: the text field's text
    // area (the bounds less the box's insets and the field's own text insets), at the bounds' origin.
    ios::CGRect fontFittingRect(const ios::CGRect& boxBounds) const;
    void updateShadow();

    // Gesture and text-field actions (also registered by selector).
    void contentTapped(ios::UITapGestureRecognizer* recognizer);
    void closeTap(ios::UITapGestureRecognizer* recognizer);
    void moveGesture(ios::UIPanGestureRecognizer& recognizer);
    void rotateViewPanGesture(ios::UIPanGestureRecognizer& recognizer);
    bool textFieldShouldBeginEditing(ios::UITextField& field);
    void textFieldDidBeginEditing(ios::UITextField& field);
    void textFieldEditingChanged(ios::UITextField& field);
    ios::CGPoint estimatedCenter() const;

    // The recognisers, for tests and the canvas.
    const objc::Ref<ios::UIPanGestureRecognizer>& moveRecognizer() const { return m_moveRecognizer; }
    const objc::Ref<ios::UIPanGestureRecognizer>& rotateRecognizer() const { return m_rotateRecognizer; }

protected:
    FlintDrawingLabelView() = default;

private:
    void send(FlintDrawingLabelViewDelegate::Method method,
              void (FlintDrawingLabelViewDelegate::*call)(FlintDrawingLabelView&));

    bool m_showsContentShadow = true;
    bool m_enableClose = true;
    bool m_enableRotate = true;
    bool m_enableMoveRestriction = false;
    bool m_showEditingHandles = true;
    ios::UIColorRef m_textColor;
    ios::UIColorRef m_borderColor;
    std::string m_fontName;
    double m_fontSize = 0;
    ios::UIImageRef m_closeImage, m_rotateImage;
    ios::NSAttributedStringRef m_attributedPlaceholder;
    std::weak_ptr<FlintDrawingLabelViewDelegate> m_delegate;
    objc::Ref<ios::UIButton> m_closeButton, m_rotateButton;
    ios::UIColorRef m_shadowColor;
    double m_shadowOpacity = 0;
    double m_shadowRadius = 0;
    double m_initialDistance = 0;
    double m_deltaAngle = 0;
    objc::Ref<ios::CAShapeLayer> m_border;
    objc::Ref<ios::UITextField> m_labelTextField;
    ios::CGPoint m_closeButtonOffset{};
    ios::CGPoint m_rotateButtonOffset{};
    ios::CGSize m_closeButtonSize{24, 24};
    ios::CGSize m_rotateButtonSize{24, 24};
    ios::CGSize m_shadowOffset{0, 5};
    ios::CGPoint m_beginningPoint{};
    ios::CGPoint m_beginningCenter{};
    ios::CGPoint m_touchLocation{};
    ios::CGSize m_globalInsets{12, 12};
    ios::CGRect m_initialBounds{};
    ios::CGRect m_beginBounds{};
    objc::Ref<ios::UIPanGestureRecognizer> m_moveRecognizer, m_rotateRecognizer;
    // The box's pan began on the rotate handle: none of its events moves the box.
    bool m_panOnHandle = false;
    objc::Ref<ios::UITapGestureRecognizer> m_tapRecognizer, m_closeRecognizer;
};
