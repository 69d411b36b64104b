#include "sim/scenario/InputCommands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIWindow.h"

namespace flint::sim {

namespace {

using Args = std::vector<std::string>;

constexpr double kDefaultSwipeSeconds = 0.2;
constexpr double kDefaultDragSeconds = 0.5;
constexpr double kDefaultSliderTolerance = 0.01;
constexpr int kMaxTaps = 10;

std::optional<int> count(const std::string& text) {
    auto value = scenarioNumber(text);
    if (!value || *value < 0 || *value != std::floor(*value) || *value > 1e6) return std::nullopt;
    return static_cast<int>(*value);
}

// Points from pairs of words; none when a word is not a number or a coordinate is missing.
std::optional<std::vector<ios::CGPoint>> points(const Args& words) {
    if (words.empty() || words.size() % 2 != 0) return std::nullopt;
    std::vector<ios::CGPoint> result;
    for (std::size_t i = 0; i < words.size(); i += 2) {
        auto x = scenarioNumber(words[i]), y = scenarioNumber(words[i + 1]);
        if (!x || !y) return std::nullopt;
        result.push_back(ios::CGPointMake(*x, *y));
    }
    return result;
}

void settle(Scenario& s) { s.device()->process().runLoop().runUntilIdle(); }

// Up to a few visible texts, for failure messages.
std::string someVisibleTexts() {
    std::string list;
    int n = 0;
    for (const auto& v : visibleViewsTopFirst()) {
        auto text = shownText(*v.view);
        if (!text || text->empty()) continue;
        if (n++ == 8) {
            list += ", …";
            break;
        }
        list += (list.empty() ? "" : ", ") + quote(*text);
    }
    return list.empty() ? "no text is visible" : "visible: " + list;
}

const VisibleView* findText(const std::vector<VisibleView>& views, const std::string& text) {
    for (const auto& v : views)
        if (shownText(*v.view) == text) return &v;
    return nullptr;
}

void collect(ios::UIView& view, ios::UIWindow& window, const ios::CGRect& screen, std::vector<VisibleView>& out) {
    if (view.isHidden() || view.alpha() < 0.01) return;
    const auto& children = view.subviews();
    for (auto it = children.rbegin(); it != children.rend(); ++it) collect(**it, window, screen, out);
    ios::CGRect frame = view.convertRectToView(view.bounds(), &window);
    frame.origin.x += window.frame().origin.x;
    frame.origin.y += window.frame().origin.y;
    if (CGRectIntersectsRect(frame, screen)) out.push_back({&view, frame});
}

// --- the controls sandbox ---

struct SandboxState {
    objc::Ref<ios::UIWindow> window;
};

void showControlsSandbox(SandboxState& sandbox) {
    const ios::CGRect screen = ios::UIScreen::mainScreen()->bounds();
    const double width = screen.size.width - 2 * kSandboxSide;
    auto window = objc::make<ios::UIWindow>(screen);
    window->setWindowLevel(kSandboxWindowLevel);
    window->setBackgroundColor(ios::UIColor::colorWithRed(0.95, 0.95, 0.97, 1));

    auto title = objc::make<ios::UILabel>(ios::CGRectMake(kSandboxSide, 70, width, 34));
    title->setText("Controls sandbox");
    title->setFont(ios::UIFont::boldSystemFontOfSize(24));
    window->addSubview(title);

    auto field =
        objc::make<ios::UITextField>(ios::CGRectMake(kSandboxSide, kSandboxFieldTop, width, kSandboxFieldHeight));
    field->setPlaceholder(std::string("Type here"));
    field->setBackgroundColor(ios::UIColor::whiteColor());
    window->addSubview(field);

    auto slider =
        objc::make<ios::UISlider>(ios::CGRectMake(kSandboxSide, kSandboxSliderTop, width, kSandboxSliderHeight));
    window->addSubview(slider);

    window->makeKeyAndVisible();
    sandbox.window = window;
}

void registerTouchCommands(Scenario& scenario) {
    scenario.addCommand("tap", {"tap X Y [COUNT]",
                                [](Scenario& s, const Args& args) {
                                    if (args.size() != 2 && args.size() != 3)
                                        return s.fail("expected: tap X Y [COUNT]");
                                    auto at = points({args[0], args[1]});
                                    auto taps = args.size() == 3 ? count(args[2]) : std::optional<int>(1);
                                    if (!at) return s.fail("tap: X and Y are screen points");
                                    if (!taps || *taps < 1 || *taps > kMaxTaps)
                                        return s.fail("tap: COUNT is a whole number from 1 to 10");
                                    ios::tap(at->front(), *taps);
                                    settle(s);
                                    return true;
                                },
                                true});
    scenario.addCommand("tap-text", {"tap-text \"TEXT\"",
                                     [](Scenario& s, const Args& args) {
                                         if (args.size() != 1) return s.fail("expected: tap-text \"TEXT\"");
                                         auto views = visibleViewsTopFirst();
                                         const VisibleView* found = findText(views, args[0]);
                                         if (!found)
                                             return s.fail("tap-text: no visible label or button shows " +
                                                           quote(args[0]) + " (" + someVisibleTexts() + ")");
                                         ios::CGPoint centre = ios::CGPointMake(CGRectGetMidX(found->screenFrame),
                                                                                CGRectGetMidY(found->screenFrame));
                                         ios::tap(centre);
                                         settle(s);
                                         s.out() << "tap-text " << quote(args[0]) << " at " << describePoint(centre)
                                                 << "\n";
                                         return true;
                                     },
                                     true});
    scenario.addCommand("swipe", {"swipe X1 Y1 X2 Y2 [SECONDS]",
                                  [](Scenario& s, const Args& args) {
                                      if (args.size() != 4 && args.size() != 5)
                                          return s.fail("expected: swipe X1 Y1 X2 Y2 [SECONDS]");
                                      auto path = points({args.begin(), args.begin() + 4});
                                      auto seconds = args.size() == 5 ? scenarioNumber(args[4])
                                                                      : std::optional<double>(kDefaultSwipeSeconds);
                                      if (!path) return s.fail("swipe: the coordinates are screen points");
                                      if (!seconds || *seconds <= 0)
                                          return s.fail("swipe: SECONDS is a number above 0");
                                      ios::swipe((*path)[0], (*path)[1], *seconds);
                                      settle(s);
                                      return true;
                                  },
                                  true});
    scenario.addCommand("drag",
                        {"drag X1 Y1 X2 Y2 [X Y …] [--seconds S]",
                         [](Scenario& s, const Args& args) {
                             Args coordinates = args;
                             double seconds = kDefaultDragSeconds;
                             if (coordinates.size() >= 2 && coordinates[coordinates.size() - 2] == "--seconds") {
                                 auto given = scenarioNumber(coordinates.back());
                                 if (!given || *given <= 0) return s.fail("drag: --seconds takes a number above 0");
                                 seconds = *given;
                                 coordinates.resize(coordinates.size() - 2);
                             }
                             auto path = points(coordinates);
                             if (!path || path->size() < 2)
                                 return s.fail("expected: drag X1 Y1 X2 Y2 [X Y …] [--seconds S] (screen points)");
                             ios::drag(*path, seconds);
                             settle(s);
                             return true;
                         },
                         true});
    scenario.addCommand("hold",
                        {"hold X1 Y1 [X Y …] [--seconds S]",
                         [](Scenario& s, const Args& args) {
                             Args coordinates = args;
                             double seconds = kDefaultDragSeconds;
                             if (coordinates.size() >= 2 && coordinates[coordinates.size() - 2] == "--seconds") {
                                 auto given = scenarioNumber(coordinates.back());
                                 if (!given || *given <= 0) return s.fail("hold: --seconds takes a number above 0");
                                 seconds = *given;
                                 coordinates.resize(coordinates.size() - 2);
                             }
                             auto path = points(coordinates);
                             if (!path) return s.fail("expected: hold X1 Y1 [X Y …] [--seconds S] (screen points)");
                             if (ios::activeTouchCount() > 0)
                                 return s.fail("hold: a finger is already down (lift or cancel-touch first)");
                             ios::pressAndMove(*path, seconds);
                             settle(s);
                             return true;
                         },
                         true});
    scenario.addCommand("lift", {"lift",
                                 [](Scenario& s, const Args& args) {
                                     if (!args.empty()) return s.fail("expected: lift");
                                     if (ios::liftTouches() == 0) return s.fail("lift: no finger is down (hold first)");
                                     settle(s);
                                     return true;
                                 },
                                 true});
    scenario.addCommand("cancel-touch", {"cancel-touch",
                                         [](Scenario& s, const Args& args) {
                                             if (!args.empty()) return s.fail("expected: cancel-touch");
                                             if (ios::cancelTouches() == 0)
                                                 return s.fail("cancel-touch: no finger is down (hold first)");
                                             settle(s);
                                             return true;
                                         },
                                         true});
}

void registerTypingCommands(Scenario& scenario) {
    scenario.addCommand("type",
                        {"type \"TEXT\"",
                         [](Scenario& s, const Args& args) {
                             if (args.size() != 1) return s.fail("expected: type \"TEXT\"");
                             if (!ios::typeText(args[0]))
                                 return s.fail("type: nothing that takes text is focused (tap a text field first)");
                             settle(s);
                             return true;
                         },
                         true});
    scenario.addCommand("backspace", {"backspace [N]",
                                      [](Scenario& s, const Args& args) {
                                          if (args.size() > 1) return s.fail("expected: backspace [N]");
                                          auto times = args.empty() ? std::optional<int>(1) : count(args[0]);
                                          if (!times || *times < 1)
                                              return s.fail("backspace: N is a whole number above 0");
                                          if (!ios::pressBackspace(*times))
                                              return s.fail("backspace: nothing that takes text is focused");
                                          settle(s);
                                          return true;
                                      },
                                      true});
    scenario.addCommand("return", {"return",
                                   [](Scenario& s, const Args& args) {
                                       if (!args.empty()) return s.fail("expected: return");
                                       if (!ios::pressReturn())
                                           return s.fail("return: nothing that takes text is focused");
                                       settle(s);
                                       return true;
                                   },
                                   true});
}

void registerSandbox(Scenario& scenario) {
    // Another family may offer sandboxes of its own under the same word: kinds this one does not
    // know go on to it.
    std::optional<ScenarioCommand> previous;
    if (auto it = scenario.commands().find("sandbox"); it != scenario.commands().end()) previous = it->second;
    std::string usage = "sandbox controls";
    if (previous) usage = previous->usage + " | controls";
    scenario.addCommand("sandbox",
                        {usage,
                         [previous, usage](Scenario& s, const Args& args) {
                             if (args.size() == 1 && args[0] == "controls") {
                                 if (!s.device())
                                     return s.fail("sandbox controls needs a booted device (add `boot` first)");
                                 showControlsSandbox(s.state<SandboxState>());
                                 settle(s);
                                 return true;
                             }
                             if (previous) return previous->handler(s, args);
                             return s.fail("expected: " + usage);
                         },
                         previous ? previous->needsDevice : false});
}

void registerInputExpectations(Scenario& scenario) {
    scenario.addExpectation("text", {"expect text \"TEXT\"",
                                     [](Scenario& s, const Args& args) {
                                         if (args.size() != 1) return s.fail("expected: expect text \"TEXT\"");
                                         if (findText(visibleViewsTopFirst(), args[0])) return true;
                                         return s.fail("expect text: no visible label or button shows " +
                                                       quote(args[0]) + " (" + someVisibleTexts() + ")");
                                     },
                                     true});
    scenario.addExpectation(
        "no-text", {"expect no-text \"TEXT\"",
                    [](Scenario& s, const Args& args) {
                        if (args.size() != 1) return s.fail("expected: expect no-text \"TEXT\"");
                        auto views = visibleViewsTopFirst();
                        const VisibleView* found = findText(views, args[0]);
                        if (!found) return true;
                        return s.fail("expect no-text: a " + std::string(found->view->objcClass().name()) + " at " +
                                      describePoint(found->screenFrame.origin) + " shows " + quote(args[0]));
                    },
                    true});
    scenario.addExpectation(
        "field", {"expect field \"TEXT\"",
                  [](Scenario& s, const Args& args) {
                      if (args.size() != 1) return s.fail("expected: expect field \"TEXT\"");
                      std::string seen;
                      for (const auto& v : visibleViewsTopFirst()) {
                          auto* field = dynamic_cast<ios::UITextField*>(v.view);
                          if (!field) continue;
                          if (field->text() == args[0]) return true;
                          seen += (seen.empty() ? "" : ", ") + quote(field->text());
                      }
                      return s.fail("expect field: no visible text field holds " + quote(args[0]) +
                                    (seen.empty() ? " (no text field is visible)" : " (they hold " + seen + ")"));
                  },
                  true});
    scenario.addExpectation("slider", {"expect slider VALUE [TOLERANCE]",
                                       [](Scenario& s, const Args& args) {
                                           if (args.size() != 1 && args.size() != 2)
                                               return s.fail("expected: expect slider VALUE [TOLERANCE]");
                                           auto wanted = scenarioNumber(args[0]);
                                           auto tolerance = args.size() == 2
                                                                ? scenarioNumber(args[1])
                                                                : std::optional<double>(kDefaultSliderTolerance);
                                           if (!wanted || !tolerance || *tolerance < 0)
                                               return s.fail("expect slider: VALUE and TOLERANCE are numbers");
                                           std::string seen;
                                           for (const auto& v : visibleViewsTopFirst()) {
                                               auto* slider = dynamic_cast<ios::UISlider*>(v.view);
                                               if (!slider) continue;
                                               if (std::abs(slider->value() - *wanted) <= *tolerance) return true;
                                               char text[32];
                                               std::snprintf(text, sizeof text, "%g", slider->value());
                                               seen += (seen.empty() ? "" : ", ") + std::string(text);
                                           }
                                           return s.fail("expect slider " + args[0] + ": " +
                                                         (seen.empty() ? std::string("no slider is visible")
                                                                       : "the visible sliders are at " + seen));
                                       },
                                       true});
    scenario.addExpectation(
        "haptics",
        {"expect haptics N [light|medium|heavy]",
         [](Scenario& s, const Args& args) {
             if (args.size() != 1 && args.size() != 2) return s.fail("expected: expect haptics N [light|medium|heavy]");
             auto wanted = count(args[0]);
             if (!wanted) return s.fail("expect haptics: N is a whole number");
             std::optional<ios::UIImpactFeedbackStyle> style;
             if (args.size() == 2) {
                 for (auto candidate : {ios::UIImpactFeedbackStyle::Light, ios::UIImpactFeedbackStyle::Medium,
                                        ios::UIImpactFeedbackStyle::Heavy})
                     if (args[1] == ios::UIImpactFeedbackStyleName(candidate)) style = candidate;
                 if (!style) return s.fail("expect haptics: the style is light, medium or heavy");
             }
             int felt = 0;
             for (const auto& event : ios::HapticsLog::shared().events())
                 if (!style || event.style == *style) ++felt;
             if (felt == *wanted) return true;
             return s.fail("expect haptics: " + std::to_string(felt) +
                           (style ? std::string(" ") + args[1] : std::string()) + " impacts felt, expected " + args[0]);
         },
         true});
    scenario.addExpectation("photos", {"expect photos N",
                                       [](Scenario& s, const Args& args) {
                                           if (args.size() != 1) return s.fail("expected: expect photos N");
                                           auto wanted = count(args[0]);
                                           if (!wanted) return s.fail("expect photos: N is a whole number");
                                           auto held = ios::UIPhotoLibrary::shared().photoCount();
                                           if (held == static_cast<std::size_t>(*wanted)) return true;
                                           return s.fail("expect photos: the library holds " + std::to_string(held) +
                                                         ", expected " + args[0]);
                                       },
                                       true});
}

}  // namespace

std::optional<std::string> shownText(const ios::UIView& view) {
    if (auto* label = dynamic_cast<const ios::UILabel*>(&view)) return label->text();
    if (auto* button = dynamic_cast<const ios::UIButton*>(&view)) return button->currentTitle();
    return std::nullopt;
}

std::vector<VisibleView> visibleViewsTopFirst() {
    std::vector<VisibleView> result;
    auto* screen = ios::UIScreen::mainScreenIfExists();
    if (!screen) return result;
    const ios::CGRect bounds = screen->bounds();
    auto windows = screen->visibleWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) collect(**it, **it, bounds, result);
    return result;
}

std::string quote(const std::string& text) { return "\"" + text + "\""; }

std::string describePoint(ios::CGPoint p) {
    char text[64];
    std::snprintf(text, sizeof text, "(%g, %g)", p.x, p.y);
    return text;
}

std::optional<int> scenarioCount(const std::string& word) { return count(word); }

void registerInputScenarioCommands(Scenario& scenario) {
    registerTouchCommands(scenario);
    registerTypingCommands(scenario);
    registerSandbox(scenario);
    registerInputExpectations(scenario);
}

}  // namespace flint::sim
