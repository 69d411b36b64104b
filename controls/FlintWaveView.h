#pragma once
// A body of liquid whose surface is one moving sine wave: the area under the wave is filled with
// the wave colour, the surface rests at a height set by a completion percentage, and the phase
// moves on every display frame.
//
// The display link holds the view weakly and ends with it; starting the animation again replaces
// the running link, so a view never has more than one. A view outside a visible window keeps
// its phase moving but does not redraw.

#include <cstddef>
#include <cstdint>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/quartz/CADisplayLink.h"
#include "platform/quartz/CATextLayer.h"
#include "platform/uikit/UIView.h"

class FlintWaveView : public ios::UIView {
    OBJC_CLASS_DECLARE(FlintWaveView)
public:
    ~FlintWaveView() override;
    using ios::UIView::init;
    // initWithFrame: the base initialiser, then setup.
    void init(const ios::CGRect& frame) override;

    // Clear background, the wave colour from the wave's colour dictionary, the defaults, then
    // startAnimation.
    void setup();

    // A frame set directly is made square: the requested origin, both sides the smaller of the
    // requested width and height. Sizes given by constraints (bounds and centre) stay as given.
    void setFrame(const ios::CGRect& frame);

    // Stores min(percent, 100), writes "%zd %%" into the text layer when there is one, redraws.
    void updateWithPercentCompletion(std::size_t percent);
    void startAnimation();
    void stopAnimation();
    void updateMeters() { update(); }
    // One frame: the phase moves by phaseShift and the view redraws (when it is on screen).
    void update();

    void drawRect(const ios::CGRect& rect) override;

    // --- properties ---
    const ios::UIColorRef& waveColor() const { return m_waveColor; }
    void setWaveColor(ios::UIColorRef color) {
        m_waveColor = std::move(color);
        setNeedsDisplay();
    }
    std::size_t completionInPercent() const { return m_completionInPercent; }
    void setCompletionInPercent(std::size_t percent) {
        m_completionInPercent = percent;
        setNeedsDisplay();
    }
    double frequency() const { return m_frequency; }
    void setFrequency(double v) { m_frequency = v; }
    double amplitude() const { return m_amplitude; }
    void setAmplitude(double v) { m_amplitude = v; }
    double idleAmplitude() const { return m_idleAmplitude; }
    void setIdleAmplitude(double v) { m_idleAmplitude = v; }
    double density() const { return m_density; }
    void setDensity(double v) { m_density = v; }
    double phaseShift() const { return m_phaseShift; }
    void setPhaseShift(double v) { m_phaseShift = v; }
    double phase() const { return m_phase; }
    void setPhase(double v) { m_phase = v; }
    double primaryWaveLineWidth() const { return m_primaryWaveLineWidth; }
    void setPrimaryWaveLineWidth(double v) { m_primaryWaveLineWidth = v; }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double v) { m_fontSize = v; }
    const ios::CADisplayLinkRef& displaylink() const { return m_displaylink; }
    const objc::Ref<ios::CATextLayer>& textLayer() const { return m_textLayer; }
    void setTextLayer(objc::Ref<ios::CATextLayer> layer) { m_textLayer = std::move(layer); }

    // The surface's height above the top edge at x for the current state (y grows downward).
    double surfaceYAt(double x) const;
    // Whether the view is in a window that shows.
    bool isOnScreen() const;

    // Wave views alive in this process, for checking that closed panels let theirs go.
    static int liveCountForTesting();

protected:
    FlintWaveView() = default;

private:
    ios::UIColorRef m_waveColor;
    std::size_t m_completionInPercent = 0;
    double m_frequency = 1.5;
    double m_amplitude = 1.0;
    double m_idleAmplitude = 0.01;
    double m_density = 5.0;
    double m_phaseShift = 0;
    double m_phase = 0;
    double m_primaryWaveLineWidth = 8.0;
    double m_fontSize = 0;
    ios::CADisplayLinkRef m_displaylink;
    objc::Ref<ios::CATextLayer> m_textLayer;
};
