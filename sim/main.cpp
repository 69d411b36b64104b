// flint-sim: boots a simulated phone with Flint loaded and drives it.

#include <CLI/CLI.hpp>

#include <iostream>

#include "sim/BootCommand.h"

int main(int argc, char** argv) {
    using namespace flint::sim;
    CLI::App app{"flint-sim: a simulated phone running Flint"};
    app.require_subcommand(0, 1);

    BootOptions demoOptions;
    auto* demo = app.add_subcommand("demo", "boot the home screen with enableAll on and show what the library did");
    std::string demoRoot;
    demo->add_option("--root", demoRoot, "device root to use (default: a fresh temporary folder)");
    demo->add_option("--profile", demoOptions.profile, "iphone-8, iphone-8-plus, iphone-x or iphone-11");

    BootOptions bootOptions;
    auto* boot = app.add_subcommand("boot", "boot a process on a device and load the library");
    std::string bootRoot;
    std::vector<std::string> bootPrefs;
    bool json = false;
    boot->add_option("--executable", bootOptions.executable, "the process's executable path")->required();
    boot->add_option("--root", bootRoot, "device root (default: a fresh temporary folder)");
    boot->add_option("--pref", bootPrefs, "KEY=VALUE written to the preference domain before boot");
    boot->add_option("--profile", bootOptions.profile, "device profile");
    boot->add_flag("--json", json, "print one JSON object");

    auto* prefs = app.add_subcommand("prefs", "read and write the settings as the settings pane does");
    std::string prefsRoot, prefsFile = "domain", action;
    std::vector<std::string> prefsArgs;
    prefs->add_option("--root", prefsRoot, "device root")->required();
    prefs->add_option("--file", prefsFile, "domain (preferences and app slots) or colors")
        ->check(CLI::IsMember({"domain", "colors"}));
    prefs->add_option("action", action, "get KEY…, set KEY=VALUE…, unset KEY…, list")->required();
    prefs->add_option("arguments", prefsArgs, "keys or assignments");

    CLI11_PARSE(app, argc, argv);

    try {
        if (*boot) {
            bootOptions.root = bootRoot;
            for (const auto& p : bootPrefs) {
                auto assignment = parseAssignment(p);
                if (!assignment) {
                    std::cerr << "flint-sim: --pref expects KEY=VALUE, got \"" << p << "\"\n";
                    return 2;
                }
                bootOptions.preferences.push_back(*assignment);
            }
            return runBoot(bootOptions, json, std::cout, std::cerr);
        }
        if (*prefs)
            return runPrefs(prefsRoot, prefsFile == "colors" ? PreferenceFile::Colors : PreferenceFile::Domain, action,
                            prefsArgs, std::cout, std::cerr);
        // demo, also with no command at all
        demoOptions.root = demoRoot;
        demoOptions.preferences = {{"enableAll", true}};
        return runBoot(demoOptions, false, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "flint-sim: " << e.what() << "\n";
        return 1;
    }
}
