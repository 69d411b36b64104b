// flint-sim's finger and keyboard commands, run as a person runs them: the status-bar gesture
// opens the panel and its shortcuts act on taps; typing into a text field and dragging a slider
// in the controls sandbox; and the messages of bad lines and failed checks.

#include <gtest/gtest.h>

#include "tests/sim/SimRunner.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using flint::testing::SimResult;

class InputScenario : public flint::testing::SimFolderTest {
protected:
    SimResult run(const std::string& name, const std::string& script) { return runScript(name, script); }
};

// iphone-x: the status bar is 44 points high; the panel's first application shortcut sits at the
// top left of its application card.
constexpr const char* kOpenPanel =
    "pref enableAll=true\n"
    "pref gestureOption=1\n"
    "boot\n"
    "expect recognizer tap 2\n"
    "tap 187 20\n"
    "wait 1\n"
    "expect no-text \"Showcase\"\n"  // one tap is not the gesture
    "tap 187 20 2\n"
    "wait 1\n"
    "expect text \"Showcase\"\n"
    "expect text \"Dismiss\"\n";

TEST_F(InputScenario, TheStatusBarDoubleTapOpensThePanelWhoseShortcutsAndDismissAct) {
    SimResult shortcut = run("shortcut.flint", std::string(kOpenPanel) +
                                                   "expect haptics 0\n"
                                                   "tap 52 335\n"
                                                   "wait 1\n"
                                                   "expect opened com.apple.camera\n"
                                                   "expect haptics 1 medium\n"
                                                   "expect haptics 0 heavy\n"
                                                   "expect no-text \"Dismiss\"\n");
    EXPECT_EQ(shortcut.status, 0) << shortcut.out;

    SimResult dismiss = run("dismiss.flint", std::string(kOpenPanel) +
                                                 "tap-text \"Dismiss\"\n"
                                                 "wait 1\n"
                                                 "expect no-text \"Showcase\"\n"
                                                 "expect opened nothing\n");
    EXPECT_EQ(dismiss.status, 0) << dismiss.out;
    EXPECT_NE(dismiss.out.find("tap-text \"Dismiss\" at (187.5, "), std::string::npos) << dismiss.out;

    // Without the gesture option's two taps nothing opens, and the check says what is visible.
    SimResult closed = run("closed.flint",
                           "pref enableAll=true\npref gestureOption=1\nboot\ntap 187 20\nwait 1\n"
                           "expect text \"Showcase\"\n");
    EXPECT_EQ(closed.status, 1);
    EXPECT_NE(closed.out.find("closed.flint:6: expect text: no visible label or button shows \"Showcase\""),
              std::string::npos)
        << closed.out;
}

// Both countdowns by touch: the screenshot button stands beside the lock countdown's banner and
// still takes its press; a start value stored as the number 3.0 counts three seconds.
TEST_F(InputScenario, BothCountdownsRunSideBySideFromTheirStoredStartValues) {
    SimResult both = run("countdowns.flint",
                         "pref enableAll=true\n"
                         "pref screenshotTimerString=3.0\n"
                         "pref lockscreenTimerString=5\n"
                         "boot\n"
                         "tap 187 20\n"
                         "wait 1\n"
                         "expect text \"Showcase\"\n"
                         "tap-property lockscreenButton\n"
                         "tap-property screenshotButton\n"
                         "expect haptics 2 medium\n"
                         "wait 2.9\n"
                         "expect screenshots 0\n"
                         "wait 0.2\n"
                         "expect screenshots 1\n"
                         "expect unlocked\n"
                         "wait 2\n"
                         "expect locked\n");
    EXPECT_EQ(both.status, 0) << both.out;
}

TEST_F(InputScenario, TypingIntoTheSandboxFieldAndDraggingItsSlider) {
    // Field: x 20…355, y 140…180. Slider: y 220…251; its thumb centre runs from x 35.5 (0) to
    // 339.5 (1), so x 187.5 is the middle.
    SimResult controls = run("controls.flint",
                             "boot\n"
                             "sandbox controls\n"
                             "expect text \"Controls sandbox\"\n"
                             "expect field \"\"\n"
                             "tap 187 160\n"
                             "type \"Hello\"\n"
                             "backspace 2\n"
                             "type \"p!\"\n"
                             "expect field \"Help!\"\n"
                             "return\n"
                             "expect slider 0\n"
                             "drag 35.5 235.5 100 240 187.5 235.5 --seconds 0.4\n"
                             "expect slider 0.5\n"
                             "swipe 187.5 235.5 400 235.5 0.3\n"
                             "expect slider 1\n"
                             "drag 339.5 235.5 263.5 235.5\n"
                             "expect slider 0.75\n"
                             "expect photos 0\n");
    EXPECT_EQ(controls.status, 0) << controls.out;

    SimResult wrongValue = run("wrong.flint", "boot\nsandbox controls\nexpect slider 0.5\n");
    EXPECT_EQ(wrongValue.status, 1);
    EXPECT_NE(wrongValue.out.find("wrong.flint:3: expect slider 0.5: the visible sliders are at 0"), std::string::npos)
        << wrongValue.out;

    SimResult unfocused = run("unfocused.flint", "boot\nsandbox controls\ntype \"x\"\n");
    EXPECT_EQ(unfocused.status, 1);
    EXPECT_NE(unfocused.out.find("unfocused.flint:3: type: nothing that takes text is focused"), std::string::npos)
        << unfocused.out;

    SimResult wrongField = run("field.flint", "boot\nsandbox controls\ntap 187 160\ntype ab\nexpect field \"abc\"\n");
    EXPECT_EQ(wrongField.status, 1);
    EXPECT_NE(wrongField.out.find("expect field: no visible text field holds \"abc\" (they hold \"ab\")"),
              std::string::npos)
        << wrongField.out;
}

TEST_F(InputScenario, BadLinesAndFailedChecksSayWhatIsWrong) {
    struct Case {
        std::string line;
        std::string message;
    };
    const Case cases[] = {
        {"tap 10", "expected: tap X Y [COUNT]"},
        {"tap a 10", "tap: X and Y are screen points"},
        {"tap 10 10 0", "tap: COUNT is a whole number from 1 to 10"},
        {"tap-text \"Nowhere\"", "tap-text: no visible label or button shows \"Nowhere\""},
        {"swipe 1 2 3", "expected: swipe X1 Y1 X2 Y2 [SECONDS]"},
        {"swipe 1 2 3 4 0", "swipe: SECONDS is a number above 0"},
        {"drag 1 2 3", "expected: drag X1 Y1 X2 Y2 [X Y …] [--seconds S]"},
        {"drag 1 2 3 4 --seconds -1", "drag: --seconds takes a number above 0"},
        {"backspace 0", "backspace: N is a whole number above 0"},
        {"sandbox paint", "expected: "},
        {"expect haptics 1", "expect haptics: 0 impacts felt, expected 1"},
        {"expect haptics 0 soft", "expect haptics: the style is light, medium or heavy"},
        {"expect photos 2", "expect photos: the library holds 0, expected 2"},
    };
    for (const auto& c : cases) {
        SimResult result = run("bad.flint", "boot\n" + c.line + "\n");
        EXPECT_EQ(result.status, 1) << c.line;
        EXPECT_NE(result.out.find("bad.flint:2: " + c.message), std::string::npos) << c.line << " → " << result.out;
    }
    SimResult early = run("early.flint", "tap 10 10\n");
    EXPECT_EQ(early.status, 1);
    EXPECT_NE(early.out.find("early.flint:1: tap needs a booted device"), std::string::npos) << early.out;
}

}  // namespace
