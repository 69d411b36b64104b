#pragma once
// A slider whose value (0 to 1) is a hue. Its track is a spectrum strip, and while the thumb is
// dragged a round bubble (FlintPreviewView) floats above it showing the colour under it.

#include "controls/FlintPreviewView.h"
#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UISlider.h"

inline constexpr const char* kFlintColorTrackImagePath = "/Library/Application Support/Flint.bundle/colorTrack.png";

class FlintColorSlider : public ios::UISlider {
    OBJC_CLASS_DECLARE(FlintColorSlider)
public:
    using ios::UISlider::init;
    void init(const ios::CGRect& frame) override;
    void baseInit();

    bool showPreview() const { return m_showPreview; }
    void setShowPreview(bool show) { m_showPreview = show; }
    std::int32_t previewOffset() const { return m_previewOffset; }
    void setPreviewOffset(std::int32_t offset) { m_previewOffset = offset; }
    float previewAppearAnimateDuration() const { return m_previewAppearAnimateDuration; }
    void setPreviewAppearAnimateDuration(float d) { m_previewAppearAnimateDuration = d; }
    float previewDismissAnimateDuration() const { return m_previewDismissAnimateDuration; }
    void setPreviewDismissAnimateDuration(float d) { m_previewDismissAnimateDuration = d; }
    std::int32_t colorTrackHeight() const { return m_colorTrackHeight; }
    void setColorTrackHeight(std::int32_t h) {
        m_colorTrackHeight = h;
        setNeedsLayout();
    }
    const objc::Ref<ios::UIImageView>& colorTrackImageView() const { return m_colorTrackImageView; }
    const objc::Ref<FlintPreviewView>& previewView() const { return m_previewView; }

    // The colour of the current value; setting one moves the thumb to its hue.
    ios::UIColorRef color() const { return colorFromCurrentValue(); }
    void setColor(const ios::UIColorRef& color);
    ios::UIColorRef colorFromCurrentValue() const;
    static ios::UIImageRef imageFromColor(const ios::UIColorRef& color);
    ios::CGRect currentThumbRect() const;
    objc::Ref<FlintPreviewView> previewViewWithFrame(const ios::CGRect& frame, const ios::UIColorRef& color);
    void removePreview();

    void layoutSubviews() override;
    bool beginTrackingWithTouch(const ios::UITouch& touch, const ios::UIEvent* event) override;
    bool continueTrackingWithTouch(const ios::UITouch& touch, const ios::UIEvent* event) override;
    void endTrackingWithTouch(const ios::UITouch* touch, const ios::UIEvent* event) override;
    void cancelTrackingWithEvent(const ios::UIEvent* event) override;

protected:
    FlintColorSlider() = default;

private:
    void createPreview();
    void followThumb();

    bool m_showPreview = true;
    std::int32_t m_previewOffset = -45;
    float m_previewAppearAnimateDuration = 0.07f;
    float m_previewDismissAnimateDuration = 0.06f;
    std::int32_t m_colorTrackHeight = 2;
    objc::Ref<ios::UIImageView> m_colorTrackImageView;
    objc::Ref<FlintPreviewView> m_previewView;
};
