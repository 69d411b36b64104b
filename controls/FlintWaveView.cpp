#include "controls/FlintWaveView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "controls/FlintWaveColors.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Process.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/services/LCPParseColorString.h"
#include "platform/uikit/UIWindow.h"
#include "startup/FlintPreferences.h"

OBJC_CLASS_DEFINE_WITH(FlintWaveView, ios::UIView, [](objc::Class& cls) {
    cls.addNativeMethod("updateMeters",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<FlintWaveView&>(self).updateMeters();
                            return nullptr;
                        });
    cls.addNativeMethod("update", "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
        static_cast<FlintWaveView&>(self).update();
        return nullptr;
    });
    cls.addNativeMethod("startAnimation",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<FlintWaveView&>(self).startAnimation();
                            return nullptr;
                        });
    cls.addNativeMethod("stopAnimation",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<FlintWaveView&>(self).stopAnimation();
                            return nullptr;
                        });
})

namespace {
int g_live = 0;
// The defaults are single-precision constants.
constexpr double kDefaultPhaseShift = static_cast<double>(-0.15f);
constexpr double kDefaultIdleAmplitude = static_cast<double>(0.01f);
}  // namespace

int FlintWaveView::liveCountForTesting() { return g_live; }

FlintWaveView::~FlintWaveView() {
    --g_live;
    if (m_displaylink) m_displaylink->invalidate();
}

void FlintWaveView::init(const ios::CGRect& frame) {
    ++g_live;
    UIView::init(frame);
    setFrame(frame);
    setup();
}

void FlintWaveView::setup() {
    setBackgroundColor(ios::UIColor::clearColor());
    m_waveColor = ios::LCPParseColorString(flint::waveColorText(), flint::kFallbackColor);
    m_completionInPercent = 0;
    m_frequency = 1.5;
    m_amplitude = 1.0;
    m_idleAmplitude = kDefaultIdleAmplitude;
    m_phaseShift = kDefaultPhaseShift;
    m_density = 5.0;
    m_primaryWaveLineWidth = 8.0;
    startAnimation();
}

void FlintWaveView::setFrame(const ios::CGRect& frame) {
    double side = std::min(frame.size.width, frame.size.height);
    UIView::setFrame(ios::CGRectMake(frame.origin.x, frame.origin.y, side, side));
}

void FlintWaveView::updateWithPercentCompletion(std::size_t percent) {
    m_completionInPercent = std::min<std::size_t>(percent, 100);
    if (m_textLayer) m_textLayer->setString(ios::format("%zd %%", m_completionInPercent));
    setNeedsDisplay();
}

void FlintWaveView::startAnimation() {
    // One link per view: a second start replaces the running one.
    if (m_displaylink) stopAnimation();
    ios::Process* process = ios::Process::current();
    if (!process) return;
    m_displaylink = ios::CADisplayLink::displayLinkWithWeakTarget(self(), objc::sel("updateMeters"));
    m_displaylink->addToRunLoop(process->runLoop(), ios::NSRunLoopCommonModes);
}

void FlintWaveView::stopAnimation() {
    if (!m_displaylink) return;
    if (ios::Process* process = ios::Process::current())
        m_displaylink->removeFromRunLoop(process->runLoop(), ios::NSRunLoopCommonModes);
    m_displaylink->invalidate();
    m_displaylink.reset();
}

bool FlintWaveView::isOnScreen() const {
    const ios::UIWindow* w = window();
    if (!w || w->isHidden()) return false;
    for (const ios::UIView* v = this; v; v = v->superview())
        if (v->isHidden()) return false;
    return true;
}

void FlintWaveView::update() {
    m_phase += m_phaseShift;
    if (isOnScreen()) setNeedsDisplay();
}

double FlintWaveView::surfaceYAt(double x) const {
    const double W = bounds().size.width, H = bounds().size.height;
    const double halfHeight = H * 0.5, mid = W * 0.5;
    const double maxAmplitude = std::max(halfHeight / 10 - 4, 2 * m_primaryWaveLineWidth);
    const double scaling = mid != 0 ? 1 - std::pow((x - mid) / mid, 2) : 0;
    const double a = maxAmplitude * scaling * m_amplitude;
    const float angle = static_cast<float>((W != 0 ? x / W : 0) * 2 * std::numbers::pi * m_frequency + m_phase);
    const double completion = static_cast<double>(std::min<std::size_t>(m_completionInPercent, 100));
    return a * static_cast<double>(std::sin(angle)) + H * (100 - completion) / 100;
}

void FlintWaveView::drawRect(const ios::CGRect& rect) {
    ios::CGContext* context = ios::UIGraphicsGetCurrentContext();
    if (!context) return;
    const double W = bounds().size.width, H = bounds().size.height;
    context->clearRect(bounds());
    if (auto background = backgroundColor()) {
        context->setFillColor(*background);
        context->fillRect(rect);
    }
    context->setLineWidth(m_primaryWaveLineWidth);
    ios::UIColorRef color = m_waveColor ? m_waveColor : ios::UIColor::blackColor();
    context->setFillColor(*color);
    context->setStrokeColor(*color);

    context->beginPath();
    if (W + m_density > 0 && m_density > 0) {
        for (double x = 0; x < W + m_density; x += m_density) {
            double y = surfaceYAt(x);
            if (x == 0)
                context->moveToPoint(x, y);
            else
                context->addLineToPoint(x, y);
        }
    } else {
        context->moveToPoint(0, H);
    }
    context->addLineToPoint(W, H);
    context->addLineToPoint(0, H);
    context->closePath();
    context->fillPath();
}
