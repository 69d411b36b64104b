#include "sim/scenario/StandardCommands.h"

#include <cmath>
#include <cstdlib>
#include <ostream>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/springboard/DeviceConfiguration.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UITraitCollection.h"
#include "startup/FlintPreferences.h"
#include "startup/entry/LoadRoutine.h"

namespace flint::sim {

namespace {

using Args = std::vector<std::string>;

// What a scenario chose explicitly, so the device root's configuration fills in the rest.
struct DeviceChoice {
    bool profileChosen = false;
};

std::filesystem::path configurationFileIn(const std::filesystem::path& root) {
    std::string relative = ios::kDeviceConfigurationPath;
    return root / "private" / relative.substr(1);
}

// The explicit choices win, then the device root's configuration, then the defaults.
void applyStoredConfiguration(BootOptions& options, bool profileChosen) {
    if (options.root.empty()) return;
    auto stored = ios::readPropertyListFile(configurationFileIn(options.root));
    if (!stored) return;
    ios::DeviceConfiguration configuration = ios::DeviceConfiguration::fromValue(*stored);
    if (!profileChosen) options.profile = configuration.profile;
    if (!options.appearance) options.appearance = configuration.appearance;
}

bool bootDevice(BootOptions options, std::unique_ptr<Device>& device, std::string& error) {
    // The device's own services unless this machine's were chosen.
    if (!options.hostMedia) options.simulatedNetwork = true;
    if (!options.appearance) options.appearance = 2;
    try {
        device = std::make_unique<Device>(options);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    if (!std::filesystem::exists(ios::devicePath(ios::kDeviceConfigurationPath))) {
        ios::DeviceConfiguration configuration = ios::DeviceConfiguration::defaults();
        configuration.profile = options.profile;
        configuration.appearance = *options.appearance;
        configuration.save();
    }
    if (!device->loadLibrary(error)) {
        error = "cannot load the library: " + error;
        return false;
    }
    device->bootHomeScreen();
    device->process().runLoop().runUntilIdle();
    return true;
}

bool needArguments(Scenario& s, const Args& args, std::size_t count, const std::string& usage) {
    if (args.size() == count) return true;
    return s.fail("expected: " + usage);
}

std::string describeOpen(const ios::SBOpenRecord& r) {
    std::string what = r.operation == ios::SBOpenRecord::Operation::Launch ? "launch " : "open ";
    what += "\"" + r.request + "\" → ";
    switch (r.result) {
    case ios::SBOpenRecord::Result::Application: what += r.suspended ? "application (suspended)" : "application"; break;
    case ios::SBOpenRecord::Result::SettingsPage: what += "settings page " + r.target; break;
    case ios::SBOpenRecord::Result::WebPage: what += "web page"; break;
    case ios::SBOpenRecord::Result::Nothing: what += "nothing"; break;
    }
    return what;
}

// The status bar's recognisers in the words of `expect recognizer`.
std::vector<std::string> describeRecognizers() {
    std::vector<std::string> out;
    for (const auto& r : ios::HomeScreen::shared().statusBar()->gestureRecognizers()) {
        if (auto* tap = dynamic_cast<const ios::UITapGestureRecognizer*>(r.get())) {
            out.push_back("tap " + std::to_string(tap->numberOfTapsRequired()));
        } else if (auto* swipe = dynamic_cast<const ios::UISwipeGestureRecognizer*>(r.get())) {
            switch (swipe->direction()) {
            case ios::UISwipeGestureRecognizerDirectionLeft: out.push_back("swipe left"); break;
            case ios::UISwipeGestureRecognizerDirectionRight: out.push_back("swipe right"); break;
            case ios::UISwipeGestureRecognizerDirectionUp: out.push_back("swipe up"); break;
            case ios::UISwipeGestureRecognizerDirectionDown: out.push_back("swipe down"); break;
            default: out.push_back("swipe " + std::to_string(swipe->direction())); break;
            }
        } else {
            out.push_back(r->objcClass().name());
        }
    }
    return out;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

void registerDeviceCommands(Scenario& scenario) {
    scenario.addCommand(
        "device",
        {"device PROFILE", [](Scenario& s, const Args& args) {
             if (!needArguments(s, args, 1, "device iphone-8|iphone-8-plus|iphone-x|iphone-11")) return false;
             if (s.device()) return s.fail("device must come before boot");
             if (!ios::deviceProfileNamed(args[0]))
                 return s.fail("unknown device \"" + args[0] + "\" (iphone-8, iphone-8-plus, iphone-x, iphone-11)");
             s.bootOptions().profile = args[0];
             s.state<DeviceChoice>().profileChosen = true;
             return true;
         }});
    scenario.addCommand(
        "appearance",
        {"appearance light|dark|unspecified", [](Scenario& s, const Args& args) {
             if (!needArguments(s, args, 1, "appearance light|dark|unspecified")) return false;
             auto style = ios::appearanceNamed(args[0]);
             if (!style) return s.fail("unknown appearance \"" + args[0] + "\" (light, dark, unspecified)");
             if (!s.device()) {
                 s.bootOptions().appearance = *style;
                 return true;
             }
             ios::UITraitCollection::setCurrentUserInterfaceStyle(static_cast<ios::UIUserInterfaceStyle>(*style));
             s.device()->process().runLoop().runUntilIdle();
             return true;
         }});
    scenario.addCommand("root", {"root DIR", [](Scenario& s, const Args& args) {
                                     if (!needArguments(s, args, 1, "root DIR")) return false;
                                     if (s.device()) return s.fail("root must come before boot");
                                     s.bootOptions().root = s.resolve(args[0]);
                                     return true;
                                 }});
    scenario.addCommand("scale", {"scale N", [](Scenario& s, const Args& args) {
                                      if (!needArguments(s, args, 1, "scale N")) return false;
                                      auto scale = scenarioNumber(args[0]);
                                      if (!scale || *scale <= 0 || *scale > 8)
                                          return s.fail("scale must be a number above 0 and at most 8");
                                      s.renderScale() = *scale;
                                      return true;
                                  }});
    scenario.addCommand("pref",
                        {"pref KEY=VALUE", [](Scenario& s, const Args& args) {
                             if (!needArguments(s, args, 1, "pref KEY=VALUE")) return false;
                             auto assignment = parseAssignment(args[0]);
                             if (!assignment) return s.fail("pref expects KEY=VALUE, got \"" + args[0] + "\"");
                             if (!s.device()) {
                                 s.bootOptions().preferences.push_back(*assignment);
                                 return true;
                             }
                             // As the settings pane does: write the domain, then post the change notification.
                             auto domain = ios::dictionaryWithContentsOfFile(kSlotFilePath).value_or(ios::Dictionary{});
                             domain[assignment->first] = assignment->second;
                             if (!ios::writeDictionaryToFile(domain, kSlotFilePath))
                                 return s.fail("cannot write the preference domain");
                             ios::CFNotificationCenterPostNotification(ios::CFNotificationCenterGetDarwinNotifyCenter(),
                                                                       kPreferencesChanged, nullptr, nullptr, true);
                             s.device()->process().runLoop().runUntilIdle();
                             // The status bar's next layout pass picks the change up; run it now.
                             ios::HomeScreen::shared().layoutStatusBar();
                             return true;
                         }});
    scenario.addCommand("boot", {"boot", [](Scenario& s, const Args& args) {
                                     if (!needArguments(s, args, 0, "boot")) return false;
                                     if (s.device()) return s.fail("the device is already booted");
                                     std::string error;
                                     if (!bootScenarioDevice(s, error)) return s.fail("boot failed: " + error);
                                     return true;
                                 }});
    scenario.addCommand("wait", {"wait SECONDS",
                                 [](Scenario& s, const Args& args) {
                                     if (!needArguments(s, args, 1, "wait SECONDS")) return false;
                                     auto seconds = scenarioNumber(args[0]);
                                     if (!seconds || *seconds < 0)
                                         return s.fail("wait needs a number of seconds, 0 or more");
                                     s.device()->process().runLoop().advanceBy(*seconds);
                                     return true;
                                 },
                                 true});
    scenario.addCommand("snapshot", {"snapshot FILE.png",
                                     [](Scenario& s, const Args& args) {
                                         if (!needArguments(s, args, 1, "snapshot FILE.png")) return false;
                                         auto image = ios::HomeScreen::shared().snapshot(s.renderScale().value_or(0));
                                         std::filesystem::path file = s.resolve(args[0]);
                                         if (!image || !image->writePNG(file))
                                             return s.fail("cannot write " + file.string());
                                         s.out() << "wrote " << file.string() << "\n";
                                         return true;
                                     },
                                     true});
}

void registerHomeScreenCommands(Scenario& scenario) {
    scenario.addCommand("launch", {"launch BUNDLE_ID",
                                   [](Scenario& s, const Args& args) {
                                       if (!needArguments(s, args, 1, "launch BUNDLE_ID")) return false;
                                       ios::UIApplication::sharedApplication()->launchApplicationWithIdentifier(args[0],
                                                                                                                false);
                                       s.device()->process().runLoop().runUntilIdle();
                                       return true;
                                   },
                                   true});
    scenario.addCommand("open", {"open ADDRESS",
                                 [](Scenario& s, const Args& args) {
                                     if (!needArguments(s, args, 1, "open ADDRESS")) return false;
                                     ios::UIApplication::sharedApplication()->openURL(args[0]);
                                     s.device()->process().runLoop().runUntilIdle();
                                     return true;
                                 },
                                 true});
    scenario.addCommand("screenshot", {"screenshot",
                                       [](Scenario& s, const Args&) {
                                           ios::UIApplication::sharedApplication()->takeScreenshot();
                                           return true;
                                       },
                                       true});
    scenario.addCommand("lock", {"lock",
                                 [](Scenario& s, const Args&) {
                                     ios::UIApplication::sharedApplication()->_simulateLockButtonPress();
                                     return true;
                                 },
                                 true});
    scenario.addCommand("unlock", {"unlock",
                                   [](Scenario& s, const Args&) {
                                       ios::HomeScreen::shared().unlock();
                                       return true;
                                   },
                                   true});
    scenario.addCommand("home", {"home",
                                 [](Scenario& s, const Args&) {
                                     ios::HomeScreen::shared().goHome();
                                     return true;
                                 },
                                 true});
}

void registerExpectations(Scenario& scenario) {
    scenario.addExpectation("log", {"expect log \"TEXT\"",
                                    [](Scenario& s, const Args& args) {
                                        if (!needArguments(s, args, 1, "expect log \"TEXT\"")) return false;
                                        for (const auto& line : s.device()->process().log().lines())
                                            if (line.find(args[0]) != std::string::npos) return true;
                                        return s.fail("expect log: no log line contains \"" + args[0] + "\" (" +
                                                      std::to_string(s.device()->process().log().lines().size()) +
                                                      " lines)");
                                    },
                                    true});
    scenario.addExpectation(
        "opened",
        {"expect opened BUNDLE_ID|ADDRESS|nothing",
         [](Scenario& s, const Args& args) {
             if (!needArguments(s, args, 1, "expect opened BUNDLE_ID|ADDRESS|nothing")) return false;
             const auto& records = ios::HomeScreen::shared().openRecords();
             std::vector<std::string> seen;
             for (const auto& r : records) seen.push_back(describeOpen(r));
             if (args[0] == "nothing") {
                 for (const auto& r : records)
                     if (r.result != ios::SBOpenRecord::Result::Nothing)
                         return s.fail("expect opened nothing: " + describeOpen(r));
                 return true;
             }
             for (const auto& r : records)
                 if (r.result != ios::SBOpenRecord::Result::Nothing && (r.request == args[0] || r.target == args[0]))
                     return true;
             return s.fail("expect opened: \"" + args[0] + "\" was not opened (recorded: " + joined(seen) + ")");
         },
         true});
    scenario.addExpectation(
        "foreground",
        {"expect foreground BUNDLE_ID|ADDRESS|home",
         [](Scenario& s, const Args& args) {
             if (!needArguments(s, args, 1, "expect foreground BUNDLE_ID|ADDRESS|home")) return false;
             const ios::SBOpenRecord* front = ios::HomeScreen::shared().foreground();
             std::string shown = front ? front->target : "home";
             if (shown == args[0] || (front && front->request == args[0])) return true;
             return s.fail("expect foreground: \"" + args[0] + "\" is not in the foreground (" + shown + " is)");
         },
         true});
    scenario.addExpectation(
        "recognizer", {"expect recognizer tap N | swipe DIRECTION | none",
                       [](Scenario& s, const Args& args) {
                           if (args.empty())
                               return s.fail("expected: expect recognizer tap N | swipe DIRECTION | none");
                           std::string wanted;
                           for (const auto& a : args) wanted += (wanted.empty() ? "" : " ") + a;
                           auto present = describeRecognizers();
                           if (wanted == "none")
                               return present.empty() ||
                                      s.fail("expect recognizer none: the status bar has " + joined(present));
                           for (const auto& r : present)
                               if (r == wanted) return true;
                           return s.fail("expect recognizer " + wanted + ": the status bar has " + joined(present));
                       },
                       true});
    scenario.addExpectation("locked", {"expect locked",
                                       [](Scenario& s, const Args&) {
                                           return ios::HomeScreen::shared().isLocked() ||
                                                  s.fail("expect locked: the device is not locked");
                                       },
                                       true});
    scenario.addExpectation("unlocked", {"expect unlocked",
                                         [](Scenario& s, const Args&) {
                                             return !ios::HomeScreen::shared().isLocked() ||
                                                    s.fail("expect unlocked: the device is locked");
                                         },
                                         true});
    scenario.addExpectation(
        "screenshots", {"expect screenshots N",
                        [](Scenario& s, const Args& args) {
                            if (!needArguments(s, args, 1, "expect screenshots N")) return false;
                            auto n = ios::HomeScreen::shared().screenshots().size();
                            if (std::to_string(n) == args[0]) return true;
                            return s.fail("expect screenshots: " + std::to_string(n) + " taken, expected " + args[0]);
                        },
                        true});
    scenario.addExpectation(
        "pixel", {"expect pixel X Y #RRGGBB [TOLERANCE]",
                  [](Scenario& s, const Args& args) {
                      if (args.size() != 3 && args.size() != 4)
                          return s.fail("expected: expect pixel X Y #RRGGBB [TOLERANCE]");
                      auto x = scenarioNumber(args[0]), y = scenarioNumber(args[1]);
                      auto rgb = ios::parseHexColor(args[2]);
                      auto tolerance = args.size() == 4 ? scenarioNumber(args[3]) : std::optional<double>(24);
                      if (!x || !y || !rgb || !tolerance)
                          return s.fail("expect pixel: X and Y are points, the colour is #RRGGBB");
                      auto image = ios::HomeScreen::shared().snapshot(s.renderScale().value_or(0));
                      if (!image) return s.fail("expect pixel: the screen could not be rendered");
                      auto p = image->pixelAtPoint(ios::CGPointMake(*x, *y));
                      int want[3] = {int((*rgb >> 16) & 0xff), int((*rgb >> 8) & 0xff), int(*rgb & 0xff)};
                      int got[3] = {p.r, p.g, p.b};
                      for (int i = 0; i < 3; ++i)
                          if (std::abs(want[i] - got[i]) > *tolerance) {
                              char text[96];
                              std::snprintf(
                                  text, sizeof text, "expect pixel %s %s: found #%02X%02X%02X, expected %s (± %g)",
                                  args[0].c_str(), args[1].c_str(), p.r, p.g, p.b, args[2].c_str(), *tolerance);
                              return s.fail(text);
                          }
                      return true;
                  },
                  true});
}

}  // namespace

bool bootConfiguredDevice(BootOptions options, bool profileChosen, std::unique_ptr<Device>& device,
                          std::string& error) {
    applyStoredConfiguration(options, profileChosen);
    return bootDevice(options, device, error);
}

bool bootScenarioDevice(Scenario& scenario, std::string& error) {
    std::unique_ptr<Device> device;
    bool ok = bootConfiguredDevice(scenario.bootOptions(), scenario.state<DeviceChoice>().profileChosen, device, error);
    if (device) scenario.setDevice(std::move(device));
    return ok;
}

void registerStandardScenarioCommands(Scenario& scenario) {
    registerDeviceCommands(scenario);
    registerHomeScreenCommands(scenario);
    registerExpectations(scenario);
}

}  // namespace flint::sim
