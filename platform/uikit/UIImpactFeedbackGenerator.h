#pragma once
// Impact feedback. There is no motor here: each impactOccurred is recorded, with its style and
// the media-clock time, in the process's haptics log, which tests and the simulator read.

#include <string>
#include <vector>

#include "platform/objc/Runtime.h"

namespace ios {

enum class UIImpactFeedbackStyle { Light = 0, Medium = 1, Heavy = 2 };
const char* UIImpactFeedbackStyleName(UIImpactFeedbackStyle style);  // "light", "medium", "heavy"

struct HapticEvent {
    UIImpactFeedbackStyle style;
    double time;
};

// The current process's haptics log.
class HapticsLog {
public:
    static HapticsLog& shared();
    const std::vector<HapticEvent>& events() const { return m_events; }
    void record(HapticEvent event) { m_events.push_back(event); }
    void clear() { m_events.clear(); }

private:
    std::vector<HapticEvent> m_events;
};

class UIImpactFeedbackGenerator : public objc::Object {
    OBJC_CLASS_DECLARE(UIImpactFeedbackGenerator)
public:
    void init() override { init(UIImpactFeedbackStyle::Medium); }
    void init(UIImpactFeedbackStyle style) { m_style = style; }
    UIImpactFeedbackStyle style() const { return m_style; }
    void prepare() { m_prepared = true; }
    bool isPrepared() const { return m_prepared; }
    void impactOccurred();

protected:
    UIImpactFeedbackGenerator() = default;

private:
    UIImpactFeedbackStyle m_style = UIImpactFeedbackStyle::Medium;
    bool m_prepared = false;
};

}  // namespace ios
