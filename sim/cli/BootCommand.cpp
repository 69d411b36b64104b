#include "sim/cli/BootCommand.h"

#include <nlohmann/json.hpp>

#include <ostream>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "startup/FlintPreferences.h"
#include "startup/entry/LoadRoutine.h"

namespace flint::sim {

namespace {

nlohmann::json describeRecognizer(const ios::UIGestureRecognizer& recognizer) {
    nlohmann::json r;
    if (auto* tap = dynamic_cast<const ios::UITapGestureRecognizer*>(&recognizer)) {
        r["kind"] = "tap";
        r["tapsRequired"] = tap->numberOfTapsRequired();
    } else if (auto* swipe = dynamic_cast<const ios::UISwipeGestureRecognizer*>(&recognizer)) {
        r["kind"] = "swipe";
        switch (swipe->direction()) {
        case ios::UISwipeGestureRecognizerDirectionLeft: r["direction"] = "left"; break;
        case ios::UISwipeGestureRecognizerDirectionRight: r["direction"] = "right"; break;
        case ios::UISwipeGestureRecognizerDirectionUp: r["direction"] = "up"; break;
        case ios::UISwipeGestureRecognizerDirectionDown: r["direction"] = "down"; break;
        default: r["direction"] = swipe->direction(); break;
        }
    } else {
        r["kind"] = recognizer.objcClass().name();
    }
    if (!recognizer.targets().empty()) r["action"] = recognizer.targets().front().action->name();
    return r;
}

std::string describeRecognizerText(const nlohmann::json& r) {
    std::string text = r["kind"].get<std::string>();
    if (r.contains("tapsRequired")) text += " (" + std::to_string(r["tapsRequired"].get<int>()) + " taps required)";
    if (r.contains("direction") && r["direction"].is_string())
        text += " (direction " + r["direction"].get<std::string>() + ")";
    if (r.contains("action")) text += " -> " + r["action"].get<std::string>();
    return text;
}

nlohmann::json toJson(const ios::Value& value) {
    switch (value.kind()) {
    case ios::Value::Kind::None: return nullptr;
    case ios::Value::Kind::Bool: return value.boolValue();
    case ios::Value::Kind::Integer: return value.integerValue();
    case ios::Value::Kind::Real: return value.doubleValue();
    case ios::Value::Kind::String: return *value.string();
    default: return value.debugDescription();
    }
}

}  // namespace

int runBoot(const BootOptions& options, bool json, std::ostream& out, std::ostream& err) {
    Device device(options);
    std::string error;
    if (!device.loadLibrary(error)) {
        err << "flint-sim: cannot load the library: " << error << "\n";
        return 1;
    }
    const LoadReport* report = device.loadReport();
    if (!report || !report->ran) {
        err << "flint-sim: the library loaded but its load routine did not run\n";
        return 1;
    }
    device.layoutStatusBar();
    auto bar = ios::HomeScreen::shared().statusBar();

    nlohmann::json result;
    result["executable"] = options.executable;
    result["deviceRoot"] = device.temporaryRoot() ? nlohmann::json(nullptr) : nlohmann::json(device.root().string());
    result["profile"] = options.profile;
    result["qualified"] = report->qualified;
    result["hookInstalled"] = report->hookInstalled;
    result["actions"] = report->actions;
    result["properties"] = report->properties;
    result["recognizers"] = nlohmann::json::array();
    for (const auto& recognizer : bar->gestureRecognizers())
        result["recognizers"].push_back(describeRecognizer(*recognizer));
    auto domain = ios::dictionaryWithContentsOfFile(kSlotFilePath).value_or(ios::Dictionary{});
    // The value the layout pass read: the stored one, else the registered default 0.
    result["gestureOption"] = domain["gestureOption"].isNone() ? nlohmann::json(0) : toJson(domain["gestureOption"]);
    result["statusBarLayoutPasses"] = bar->layoutPassCount();
    result["slots"] = nlohmann::json::array();
    for (int n = 1; n <= 6; ++n) {
        auto slot = device.exportedSlot(n);
        result["slots"].push_back(slot ? nlohmann::json(*slot) : nlohmann::json(nullptr));
    }

    if (json) {
        out << result.dump() << "\n";
        return 0;
    }
    out << "Booted " << options.executable << " on " << options.profile << " ("
        << ios::Process::shared().profile().width << " x " << ios::Process::shared().profile().height << " points)\n";
    out << "Device root: "
        << (device.temporaryRoot() ? device.root().string() + " (temporary)" : device.root().string()) << "\n";
    out << "Loaded libFlint.so with dlopen; its load routine ran.\n";
    out << "Process qualifies: " << (report->qualified ? "yes" : "no") << "\n";
    out << "Status-bar hook installed: "
        << (report->hookInstalled ? "yes (-[_UIStatusBar layoutSubviews] replaced)" : "no") << "\n";
    out << "Actions added: " << report->actions.size() << "\n";
    out << "Property accessors added: " << report->properties.size() << " (" << report->properties.size() / 2
        << " properties)\n";
    out << "Application slots:";
    for (const auto& slot : result["slots"]) out << " " << (slot.is_string() ? slot.get<std::string>() : "(missing)");
    out << "\n";
    out << "gestureOption: " << result["gestureOption"].dump() << "\n";
    out << "Status bar laid out " << bar->layoutPassCount() << " time(s); recognisers: ";
    if (result["recognizers"].empty()) out << "none";
    const char* sep = "";
    for (const auto& r : result["recognizers"]) out << sep << describeRecognizerText(r), sep = ", ";
    out << "\n";
    return 0;
}

int runPrefs(const std::filesystem::path& root, PreferenceFile file, const std::string& action,
             const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    ios::Process::Options options;
    options.executablePath = "/System/Library/PreferenceBundles/FlintPrefs.bundle/FlintPrefs";
    options.deviceRoot = root;
    ios::Process process(options);
    const std::string path = preferenceFilePath(file);
    bool exists = std::filesystem::exists(ios::devicePath(path));
    auto read = ios::dictionaryWithContentsOfFile(path);
    if (exists && !read && action != "get" && action != "list") {
        err << "flint-sim: " << path << " is not a readable property list; not overwriting it\n";
        return 1;
    }
    ios::Dictionary values = read.value_or(ios::Dictionary{});

    if (action == "list") {
        for (const auto& [key, value] : values) out << key << " = " << value.debugDescription() << "\n";
        return 0;
    }
    if (action == "get") {
        int status = 0;
        for (const auto& key : arguments) {
            auto it = values.find(key);
            if (it == values.end()) {
                err << key << ": not set\n";
                status = 1;
            } else {
                out << (it->second.isString() ? *it->second.string() : it->second.debugDescription()) << "\n";
            }
        }
        return status;
    }
    if (action == "set" || action == "unset") {
        for (const auto& argument : arguments) {
            if (action == "unset") {
                values.erase(argument);
                continue;
            }
            auto assignment = parseAssignment(argument);
            if (!assignment) {
                err << "flint-sim: expected KEY=VALUE, got \"" << argument << "\"\n";
                return 2;
            }
            values[assignment->first] = assignment->second;
        }
        if (!ios::writeDictionaryToFile(values, path)) {
            err << "flint-sim: cannot write " << path << "\n";
            return 1;
        }
        ios::CFNotificationCenterPostNotification(ios::CFNotificationCenterGetDarwinNotifyCenter(), kPreferencesChanged,
                                                  nullptr, nullptr, true);
        process.runLoop().runUntilIdle();
        out << "wrote " << path << "; posted " << kPreferencesChanged << "\n";
        return 0;
    }
    err << "flint-sim: unknown prefs action \"" << action << "\" (get, set, unset, list)\n";
    return 2;
}

}  // namespace flint::sim
