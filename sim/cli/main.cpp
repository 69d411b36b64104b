// flint-sim: boots a simulated phone with Flint loaded and drives it.

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "platform/springboard/DeviceConfiguration.h"
#include "sim/cli/BootCommand.h"
#include "sim/demos/CompositorScene.h"
#include "sim/demos/ContactSheet.h"
#include "sim/device/LibraryBridge.h"
#include "sim/cli/MediaCommand.h"
#include "sim/cli/NetInfo.h"
#include "sim/demos/PanelDemo.h"
#include "sim/cli/SnapshotCommand.h"
#include "sim/scenario/MakeScenario.h"
#include "sim/batch/PhotosCommand.h"
#include "sim/batch/ShowcaseCommand.h"
#include "sim/live/ServeCommand.h"
#include "sim/sandboxes/SimScreens.h"

namespace {

// Runs one of the simulator screens that call the system (the library holding them links
// libFlint.so, so it is loaded only when one of these screens is asked for).
int runSystemScreen(int (*flint::sim::FlintSimScreens::*entry)(const std::string&), const std::string& outDir) {
    std::string error;
    const flint::sim::FlintSimScreens* screens = flint::sim::simulatorScreens(error);
    if (!screens) {
        std::cerr << "flint-sim: " << error << "\n";
        return 1;
    }
    std::filesystem::create_directories(outDir);
    return (screens->*entry)(outDir);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace flint::sim;
    // netinfo parses its own options.
    if (argc > 1 && std::string(argv[1]) == "netinfo") return runNetInfo(argc - 1, argv + 1);
    if (argc > 1 && std::string(argv[1]) == "media") return runMedia({argv + 2, argv + argc}, std::cout, std::cerr);
    // showcase and photos too.
    if (argc > 1 && std::string(argv[1]) == "showcase")
        return runShowcaseCommand({argv + 2, argv + argc}, std::cout, std::cerr, isatty(STDOUT_FILENO));
    if (argc > 1 && std::string(argv[1]) == "photos")
        return runPhotosCommand({argv + 2, argv + argc}, std::cout, std::cerr);

    CLI::App app{"flint-sim: a simulated phone running Flint"};
    app.require_subcommand(0, 1);

    BootOptions demoOptions;
    auto* demo = app.add_subcommand("demo", "boot the home screen with enableAll on and show what the library did");
    std::string demoRoot;
    demo->add_option("--root", demoRoot, "device root to use (default: a fresh temporary folder)");
    demo->add_option("--profile", demoOptions.profile, "iphone-8, iphone-8-plus, iphone-x or iphone-11");
    std::string demoOut = "flint-demo";
    demo->add_option("--out", demoOut, "folder for the PNGs of the open panel and the Showcase mock-up");
    const char* backendHelp =
        "simulated (default): the device's own network and music; host: this machine's network, "
        "Wi-Fi name and media players";
    std::string backend = "simulated";
    demo->add_option("--backend", backend, backendHelp)->check(CLI::IsMember({"host", "simulated"}));

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

    auto* scene = app.add_subcommand("scene", "render the compositor's test scene (every layer feature) to a PNG");
    std::string sceneOut = "compositor-scene.png";
    double sceneScale = 3;
    scene->add_option("--out", sceneOut, "PNG to write");
    scene->add_option("--scale", sceneScale, "pixels per point");

    auto* sheet = app.add_subcommand("contact-sheet", "draw every image of the bundle in one labelled PNG");
    std::string sheetOut = "contact-sheet.png", bundleDir = FLINT_BUNDLE_DIR;
    sheet->add_option("--out", sheetOut, "PNG to write");
    sheet->add_option("--bundle", bundleDir, "bundle folder (default: the images this build drew)");

    auto* snapshot = app.add_subcommand("snapshot", "boot the home screen and render the screen to a PNG");
    SnapshotOptions snapshotOptions;
    std::string snapshotAppearance, snapshotRoot;
    snapshot
        ->add_option(
            "--device", snapshotOptions.profile,
            "iphone-8, iphone-8-plus, iphone-x or iphone-11 (default: the root's configuration, else iphone-x)")
        ->check(CLI::IsMember({"iphone-8", "iphone-8-plus", "iphone-x", "iphone-11"}));
    snapshot
        ->add_option("--appearance", snapshotAppearance,
                     "light, dark or unspecified (default: the root's configuration, else dark)")
        ->check(CLI::IsMember({"light", "dark", "unspecified"}));
    snapshot->add_option("--root", snapshotRoot, "device root (default: a fresh temporary folder)");
    snapshot->add_option("--scale", snapshotOptions.scale, "pixels per point (default: the screen's)")
        ->check(CLI::Range(0.0, 8.0));
    snapshot->add_option("-o,--out", snapshotOptions.output, "PNG to write")->required();

    auto* run = app.add_subcommand("run", "run a scenario script (see the README, Snapshots and scenarios)");
    std::string scriptPath;
    bool listCommands = false;
    run->add_option("script", scriptPath, "the scenario file");
    run->add_flag("--commands", listCommands, "list the scenario commands and checks");
    run->add_option("--backend", backend, backendHelp)->check(CLI::IsMember({"host", "simulated"}));

    app.add_subcommand("netinfo", "print every device and network query (see flint-sim netinfo --help)")
        ->allow_extras();
    app.add_subcommand("media", "print what the now-playing back end sees, send it a command (see --help)")
        ->allow_extras();
    app.add_subcommand("showcase", "frame screenshots in device mock-ups with the Showcase composer (see --help)")
        ->allow_extras();
    app.add_subcommand("photos", "add, list and export a device root's photos (see flint-sim photos --help)")
        ->allow_extras();

    auto* drawing =
        app.add_subcommand("drawing-demo", "open the drawing sandbox, draw through touches, undo and redo, write PNGs");
    std::string drawingOut = "flint-drawing";
    drawing->add_option("--out", drawingOut, "folder for the PNGs");

    auto* marquee =
        app.add_subcommand("marquee", "the marquee sandbox: six labels, one per scroll type, as PNG frames over time");
    std::string marqueeOut = "flint-marquee";
    marquee->add_option("--out", marqueeOut, "folder for the frames");

    flint::live::ServeOptions serveOptions;
    auto* serve = flint::live::addServeCommand(app, serveOptions);

    CLI11_PARSE(app, argc, argv);

    try {
        if (*serve) return flint::live::runServe(serveOptions, std::cout, std::cerr);
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
        if (*snapshot) {
            if (!snapshotAppearance.empty()) snapshotOptions.appearance = ios::appearanceNamed(snapshotAppearance);
            snapshotOptions.root = snapshotRoot;
            return runSnapshot(snapshotOptions, std::cout, std::cerr);
        }
        if (*run) {
            if (listCommands) {
                auto scenario = makeScenario(std::cout, std::cerr);
                for (const auto& [name, command] : scenario->commands()) std::cout << command.usage << "\n";
                for (const auto& [name, check] : scenario->expectations()) std::cout << check.usage << "\n";
                return 0;
            }
            if (scriptPath.empty()) {
                std::cerr << "flint-sim: run needs a scenario file\n";
                return 2;
            }
            return runScenarioFile(scriptPath, std::cout, std::cerr, backend);
        }
        if (*scene) {
            int status = writeCompositorScene(sceneOut, sceneScale);
            if (status == 0) std::cout << "wrote " << sceneOut << "\n";
            return status;
        }
        if (*sheet) {
            int status = writeContactSheet(bundleDir, sheetOut);
            if (status == 0) std::cout << "wrote " << sheetOut << "\n";
            return status;
        }
        if (*drawing) return runSystemScreen(&FlintSimScreens::runDrawingDemo, drawingOut);
        if (*marquee) return runSystemScreen(&FlintSimScreens::writeMarqueeFrames, marqueeOut);
        if (*prefs)
            return runPrefs(prefsRoot, prefsFile == "colors" ? PreferenceFile::Colors : PreferenceFile::Domain, action,
                            prefsArgs, std::cout, std::cerr);
        // demo, also with no command at all
        // The panel demo runs each device in a process of its own, so it goes first: once this
        // process has loaded the library, a child could not load it afresh.
        std::cout << "== Quick panel, opened with a tap on the status bar (PNGs in " << demoOut << "/)\n";
        int panelStatus = runPanelDemo(demoOut, std::cout, backend);
        std::cout << "\n== Boot report\n";
        demoOptions.root = demoRoot;
        demoOptions.preferences = {{"enableAll", true}};
        if (backend == "host") demoOptions.hostMedia = true;
        int bootStatus = runBoot(demoOptions, false, std::cout, std::cerr);
        return panelStatus != 0 ? panelStatus : bootStatus;
    } catch (const std::exception& e) {
        std::cerr << "flint-sim: " << e.what() << "\n";
        return 1;
    }
}
