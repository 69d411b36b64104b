#include "platform/uikit/UIImpactFeedbackGenerator.h"

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"

namespace ios {

OBJC_CLASS_DEFINE(UIImpactFeedbackGenerator, objc::Object)

const char* UIImpactFeedbackStyleName(UIImpactFeedbackStyle style) {
    switch (style) {
    case UIImpactFeedbackStyle::Light: return "light";
    case UIImpactFeedbackStyle::Medium: return "medium";
    case UIImpactFeedbackStyle::Heavy: return "heavy";
    }
    return "medium";
}

HapticsLog& HapticsLog::shared() { return Process::shared().attached<HapticsLog>(); }

void UIImpactFeedbackGenerator::impactOccurred() {
    HapticsLog::shared().record({m_style, Process::shared().runLoop().now()});
    m_prepared = false;
}

}  // namespace ios
