#include "sim/scenario/ShowcaseCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScrollView.h"
#include "sim/scenario/InputCommands.h"
#include "sim/scenario/Scenario.h"

namespace flint::sim {

namespace {

using Args = std::vector<std::string>;

constexpr double kDefaultExportTolerance = 24;

void settle() { ios::Process::shared().runLoop().runUntilIdle(); }

template <class Controller>
Controller* topmostShown() {
    for (const auto& v : visibleViewsTopFirst())
        if (auto* controller = dynamic_cast<Controller*>(v.view->viewController());
            controller && !controller->isBeingDismissed())
            return controller;
    return nullptr;
}

// Taps the view at a point of its own (its centre when none); false (with the reason) when a
// finger there would hit something else.
bool tapView(Scenario& s, const ios::UIView& view, const std::string& what,
             std::optional<ios::CGPoint> at = std::nullopt) {
    const ios::CGPoint local =
        at.value_or(ios::CGPointMake(view.bounds().size.width / 2, view.bounds().size.height / 2));
    const ios::CGPoint point = ios::convertPointToScreen(view, local);
    const std::string command = s.currentStep().words[0];
    if (!reachableAt(view, point))
        return s.fail(command + ": " + what + " at " + describePoint(point) +
                      " is out of a finger's reach (covered, hidden or off screen)");
    ios::tap(point);
    settle();
    s.out() << command << " " << what << " at " << describePoint(point) << "\n";
    return true;
}

// Drags the picker's grid as a finger would (pressing, moving, pausing so nothing coasts, lifting)
// until photo `index`'s cell lies wholly inside the grid; false when it never gets there.
bool scrollPhotoIntoView(ios::UIImagePickerController& picker, std::size_t index) {
    ios::UIScrollView* grid = picker.gridView();
    if (!grid) return false;
    constexpr double kMargin = 8;
    for (int drags = 0; drags < 400; ++drags) {
        const ios::CGRect cell = picker.frameOfPhotoAtIndex(index), visible = grid->bounds();
        const double above = visible.origin.y - cell.origin.y;
        const double below = (cell.origin.y + cell.size.height) - (visible.origin.y + visible.size.height);
        if (above <= 0 && below <= 0) return true;
        // The content moves with the finger: to see what lies below, the finger moves up.
        const double reach = visible.size.height * 0.4;
        const double move = above > 0 ? std::min(above + kMargin, reach) : -std::min(below + kMargin, reach);
        const ios::CGPoint from =
            ios::convertPointToScreen(*grid, ios::CGPointMake(visible.origin.x + visible.size.width / 2,
                                                              visible.origin.y + visible.size.height / 2 - move / 2));
        const ios::CGPoint to = ios::CGPointMake(from.x, from.y + move);
        ios::pressAndMove({from, to}, 0.25);
        ios::Process::shared().runLoop().advanceBy(0.15);
        ios::sendTouch(ios::UITouchPhase::Ended, to);
        ios::Process::shared().runLoop().advanceBy(ios::UIScrollView::kSettleDuration + 0.05);
    }
    return false;
}

objc::Ref<ios::UIImage> newestPhotoOrFail(Scenario& s, const std::string& check) {
    auto image = newestPhoto();
    if (!image) s.fail(check + ": the photo library holds no photo");
    return image;
}

void registerShowcaseCommands(Scenario& scenario) {
    scenario.addCommand("tap-property",
                        {"tap-property NAME [X Y]",
                         [](Scenario& s, const Args& args) {
                             if (args.size() != 1 && args.size() != 3)
                                 return s.fail("expected: tap-property NAME [X Y]");
                             std::optional<ios::CGPoint> at;
                             if (args.size() == 3) {
                                 auto x = scenarioNumber(args[1]), y = scenarioNumber(args[2]);
                                 if (!x || !y) return s.fail("tap-property: X and Y are points in the view");
                                 at = ios::CGPointMake(*x, *y);
                             }
                             auto view = objc::cast<ios::UIView>(hostProperty(args[0]));
                             if (!view)
                                 return s.fail("tap-property: the status bar's property " + args[0] + " holds no view");
                             return tapView(s, *view, args[0], at);
                         },
                         true});
    scenario.addCommand(
        "pick-photo",
        {"pick-photo N|last",
         [](Scenario& s, const Args& args) {
             if (args.size() != 1) return s.fail("expected: pick-photo N|last");
             ios::UIImagePickerController* picker = shownImagePicker();
             if (!picker) return s.fail("pick-photo: no image picker is shown");
             const std::size_t photos = ios::UIPhotoLibrary::shared().photoCount();
             auto n = args[0] == "last" ? std::optional<int>(static_cast<int>(photos)) : scenarioCount(args[0]);
             if (!n) return s.fail("pick-photo: N is a whole number from 1, or last");
             if (*n < 1 || static_cast<std::size_t>(*n) > photos)
                 return s.fail("pick-photo: there is no photo " + args[0] + " (the library holds " +
                               std::to_string(photos) + ")");
             if (!scrollPhotoIntoView(*picker, static_cast<std::size_t>(*n - 1)))
                 return s.fail("pick-photo: dragging the grid never brought photo " + std::to_string(*n) +
                               " into view");
             settle();
             ios::UIButton* thumbnail = pickerThumbnail(*picker, static_cast<std::size_t>(*n - 1));
             if (!thumbnail) return s.fail("pick-photo: the picker shows no thumbnail for photo " + std::to_string(*n));
             return tapView(s, *thumbnail, "photo " + std::to_string(*n));
         },
         true});
    scenario.addCommand("alert-press", {"alert-press \"TITLE\"",
                                        [](Scenario& s, const Args& args) {
                                            if (args.size() != 1) return s.fail("expected: alert-press \"TITLE\"");
                                            ios::UIAlertController* alert = shownAlert();
                                            if (!alert) return s.fail("alert-press: no alert is shown");
                                            std::string titles;
                                            for (const auto& button : alert->actionButtons()) {
                                                const std::string title = button->currentTitle().value_or("");
                                                if (title == args[0]) return tapView(s, *button, quote(title));
                                                titles += (titles.empty() ? "" : ", ") + quote(title);
                                            }
                                            return s.fail("alert-press: the alert has no button " + quote(args[0]) +
                                                          " (it has " + titles + ")");
                                        },
                                        true});
    scenario.addCommand("share-press", {"share-press \"TITLE\"",
                                        [](Scenario& s, const Args& args) {
                                            if (args.size() != 1) return s.fail("expected: share-press \"TITLE\"");
                                            ios::UIActivityViewController* sheet = shownShareSheet();
                                            if (!sheet) return s.fail("share-press: no share sheet is shown");
                                            if (args[0] == "Cancel" && sheet->cancelButton())
                                                return tapView(s, *sheet->cancelButton(), quote(args[0]));
                                            std::string titles;
                                            for (std::size_t i = 0;
                                                 i < sheet->activities().size() && i < sheet->targetButtons().size();
                                                 ++i) {
                                                const std::string& title = sheet->activities()[i]->activityTitle();
                                                if (title == args[0])
                                                    return tapView(s, *sheet->targetButtons()[i], quote(title));
                                                titles += quote(title) + ", ";
                                            }
                                            return s.fail("share-press: the share sheet has no target " +
                                                          quote(args[0]) + " (it has " + titles + "\"Cancel\")");
                                        },
                                        true});
    scenario.addCommand("photos", {"photos deny|allow",
                                   [](Scenario& s, const Args& args) {
                                       if (args.size() != 1 || (args[0] != "deny" && args[0] != "allow"))
                                           return s.fail("expected: photos deny|allow");
                                       ios::UIPhotoLibrary::shared().setWriteAuthorized(args[0] == "allow");
                                       return true;
                                   },
                                   true});
    scenario.addCommand("write-export",
                        {"write-export PATH",
                         [](Scenario& s, const Args& args) {
                             if (args.size() != 1) return s.fail("expected: write-export PATH");
                             auto paths = ios::UIPhotoLibrary::shared().photoPaths();
                             if (paths.empty()) return s.fail("write-export: the photo library holds no photo");
                             const std::filesystem::path target = s.resolve(args[0]);
                             std::error_code ec;
                             std::filesystem::copy_file(paths.back(), target,
                                                        std::filesystem::copy_options::overwrite_existing, ec);
                             if (ec)
                                 return s.fail("write-export: cannot write " + target.string() + ": " + ec.message());
                             s.out() << "wrote " << target.string() << "\n";
                             return true;
                         },
                         true});
}

void registerShowcaseExpectations(Scenario& scenario) {
    scenario.addExpectation("alert",
                            {"expect alert \"TITLE\" \"MESSAGE\"",
                             [](Scenario& s, const Args& args) {
                                 if (args.size() != 2) return s.fail("expected: expect alert \"TITLE\" \"MESSAGE\"");
                                 ios::UIAlertController* alert = shownAlert();
                                 if (!alert) return s.fail("expect alert: no alert is shown");
                                 const std::string title = alert->alertTitle().value_or(""),
                                                   message = alert->message().value_or("");
                                 if (title == args[0] && message == args[1]) return true;
                                 return s.fail("expect alert: the alert shows " + quote(title) + " " + quote(message));
                             },
                             true});
    scenario.addExpectation("share-sheet", {"expect share-sheet shown|hidden",
                                            [](Scenario& s, const Args& args) {
                                                if (args.size() != 1 || (args[0] != "shown" && args[0] != "hidden"))
                                                    return s.fail("expected: expect share-sheet shown|hidden");
                                                const bool shown = shownShareSheet() != nullptr;
                                                if (shown == (args[0] == "shown")) return true;
                                                return s.fail(std::string("expect share-sheet: a share sheet is ") +
                                                              (shown ? "shown" : "not shown"));
                                            },
                                            true});
    const char* sharedUsage = "expect shared \"TITLE\" [failed] | cancelled";
    scenario.addExpectation("shared", {sharedUsage,
                                       [sharedUsage](Scenario& s, const Args& args) {
                                           const bool cancelled = args.size() == 1 && args[0] == "cancelled";
                                           const bool failed = args.size() == 2 && args[1] == "failed";
                                           if (args.empty() || args.size() > 2 || (args.size() == 2 && !failed))
                                               return s.fail(std::string("expected: ") + sharedUsage);
                                           const auto& outcomes = ios::UIActivityViewController::outcomeLog();
                                           if (outcomes.empty())
                                               return s.fail("expect shared: no share sheet has closed");
                                           const auto& last = outcomes.back();
                                           const std::string seen = !last.activityType
                                                                        ? std::string("was cancelled")
                                                                        : "reported " + quote(last.activityTitle) +
                                                                              (last.completed ? "" : " failed");
                                           const bool reported = last.activityType && last.activityTitle == args[0] &&
                                                                 last.completed == !failed;
                                           if (cancelled ? !last.activityType : reported) return true;
                                           return s.fail("expect shared: the last share sheet " + seen);
                                       },
                                       true});
    const char* pasteboardUsage = "expect pasteboard image W H | text \"TEXT\" | empty";
    scenario.addExpectation("pasteboard",
                            {pasteboardUsage,
                             [pasteboardUsage](Scenario& s, const Args& args) {
                                 const auto& pasteboard = ios::UIPasteboard::generalPasteboard();
                                 std::string holds = "nothing";
                                 auto image = pasteboard.image();
                                 const std::string width = image ? std::to_string(image->pixelWidth()) : "";
                                 const std::string height = image ? std::to_string(image->pixelHeight()) : "";
                                 if (image)
                                     holds = "an image of " + width + " × " + height + " pixels";
                                 else if (pasteboard.string())
                                     holds = "the text " + quote(*pasteboard.string());
                                 bool matches = false;
                                 if (args.size() == 3 && args[0] == "image") {
                                     matches = image && width == args[1] && height == args[2];
                                 } else if (args.size() == 2 && args[0] == "text") {
                                     matches = pasteboard.string() == args[1];
                                 } else if (args.size() == 1 && args[0] == "empty") {
                                     matches = !pasteboard.image() && !pasteboard.string();
                                 } else {
                                     return s.fail(std::string("expected: ") + pasteboardUsage);
                                 }
                                 return matches || s.fail("expect pasteboard: the pasteboard holds " + holds);
                             },
                             true});
    scenario.addExpectation(
        "export-size",
        {"expect export-size W H",
         [](Scenario& s, const Args& args) {
             if (args.size() != 2) return s.fail("expected: expect export-size W H");
             auto image = newestPhotoOrFail(s, "expect export-size");
             if (!image) return false;
             const std::string size = std::to_string(image->pixelWidth()) + " " + std::to_string(image->pixelHeight());
             if (size == args[0] + " " + args[1]) return true;
             return s.fail("expect export-size: the newest photo is " + size + ", expected " + args[0] + " " + args[1]);
         },
         true});
    scenario.addExpectation(
        "export-pixel",
        {"expect export-pixel X Y R G B A [TOLERANCE]",
         [](Scenario& s, const Args& args) {
             if (args.size() != 6 && args.size() != 7)
                 return s.fail("expected: expect export-pixel X Y R G B A [TOLERANCE]");
             std::optional<int> v[6];
             for (int i = 0; i < 6; ++i) v[i] = scenarioCount(args[i]);
             auto tolerance =
                 args.size() == 7 ? scenarioNumber(args[6]) : std::optional<double>(kDefaultExportTolerance);
             for (int i = 2; i < 6; ++i)
                 if (v[i] && *v[i] > 255) v[i].reset();
             if (!v[0] || !v[1] || !v[2] || !v[3] || !v[4] || !v[5] || !tolerance)
                 return s.fail("expect export-pixel: X and Y are pixels, R G B A whole numbers up to 255");
             auto image = newestPhotoOrFail(s, "expect export-pixel");
             if (!image) return false;
             if (*v[0] >= image->pixelWidth() || *v[1] >= image->pixelHeight())
                 return s.fail("expect export-pixel: (" + args[0] + ", " + args[1] + ") lies outside the " +
                               std::to_string(image->pixelWidth()) + " × " + std::to_string(image->pixelHeight()) +
                               " photo");
             const auto p = image->pixelAt(*v[0], *v[1]);
             const int got[4] = {p.r, p.g, p.b, p.a};
             for (int i = 0; i < 4; ++i)
                 if (std::abs(got[i] - *v[2 + i]) > *tolerance) {
                     char text[160];
                     std::snprintf(text, sizeof text,
                                   "expect export-pixel %s %s: found %d %d %d %d, expected %s %s %s %s (± %g)",
                                   args[0].c_str(), args[1].c_str(), p.r, p.g, p.b, p.a, args[2].c_str(),
                                   args[3].c_str(), args[4].c_str(), args[5].c_str(), *tolerance);
                     return s.fail(text);
                 }
             return true;
         },
         true});
}

}  // namespace

objc::id hostProperty(const std::string& name) {
    auto bar = ios::HomeScreen::shared().statusBar();
    const objc::SEL getter = objc::sel(name.c_str());
    if (!bar || !objc::respondsToSelector(bar.get(), getter)) return nullptr;
    return objc::msgSend(bar, getter);
}

ios::CGPoint screenCentreOf(const ios::UIView& view) {
    return ios::convertPointToScreen(view,
                                     ios::CGPointMake(view.bounds().size.width / 2, view.bounds().size.height / 2));
}

ios::UIAlertController* shownAlert() { return topmostShown<ios::UIAlertController>(); }
ios::UIImagePickerController* shownImagePicker() { return topmostShown<ios::UIImagePickerController>(); }
ios::UIActivityViewController* shownShareSheet() { return topmostShown<ios::UIActivityViewController>(); }

ios::UIButton* pickerThumbnail(ios::UIImagePickerController& picker, std::size_t index) {
    return picker.cellForPhotoAtIndex(index);
}

bool reachableAt(const ios::UIView& view, ios::CGPoint screenPoint) {
    const ios::UIView* hit = ios::viewAtScreenPoint(screenPoint);
    return hit && hit->isDescendantOfView(&view);
}

objc::Ref<ios::UIImage> newestPhoto() {
    auto& library = ios::UIPhotoLibrary::shared();
    const std::size_t count = library.photoCount();
    return count ? library.imageAtIndex(count - 1) : nullptr;
}

void registerShowcaseScenarioCommands(Scenario& scenario) {
    registerShowcaseCommands(scenario);
    registerShowcaseExpectations(scenario);
}

}  // namespace flint::sim
