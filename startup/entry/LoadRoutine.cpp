#include "startup/entry/LoadRoutine.h"

#include "controls/FlintDragView.h"
#include "controls/FlintWaveColors.h"
#include "platform/foundation/Process.h"
#include "startup/entry/ActionRegistry.h"
#include "startup/FlintHost.h"
#include "startup/FlintPreferences.h"
#include "startup/entry/LayoutHook.h"
#include "startup/UIColor+Container.h"

namespace flint {

namespace {

LoadReport g_report;

void addActions(objc::Class* cls) {
    for (const ActionTable* table : allActionTables()) {
        for (const Action& action : *table) {
            Action a = action;
            bool added = objc::class_addMethod(
                cls, objc::sel(a.selector),
                [a](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                    FlintHost host(self);
                    a.invoke(host, args.size() > 0 ? args[0] : nullptr, args.size() > 1 ? args[1] : nullptr);
                    return nullptr;
                },
                a.types());
            if (added) g_report.actions.push_back(a.selector);
        }
    }
}

void addPropertyAccessors(objc::Class* cls) {
    for (int i = 0; i < kFlintHostPropertyCount; ++i) {
        const void* key = hostPropertyKey(i);
        if (objc::class_addMethod(
                cls, objc::sel(hostPropertyName(i)),
                [key](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                    return objc::objc_getAssociatedObject(self, key);
                },
                "@@:"))
            g_report.properties.push_back(hostPropertyName(i));
        std::string setter = hostPropertySetterName(i);
        if (objc::class_addMethod(
                cls, objc::sel(setter),
                [key](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                    objc::objc_setAssociatedObject(self, key, args.empty() ? nullptr : args[0],
                                                   objc::OBJC_ASSOCIATION_RETAIN_NONATOMIC);
                    return nullptr;
                },
                "v@:@"))
            g_report.properties.push_back(setter);
    }
}

}  // namespace

bool processQualifies(const std::string& executablePath) {
    return executablePath.find("/Application") != std::string::npos ||
           executablePath.find("SpringBoard.app") != std::string::npos;
}

void flintLoadRoutine() {
    g_report = LoadReport{};
    g_report.ran = true;

    loadColorDictionary();
    observeColorChanges();
    // The wave view keeps a copy of its own, brought up the same way in every process.
    loadWaveColorDictionary();
    observeWaveColorChanges();

    auto arguments = ios::NSProcessInfo::processInfo().arguments();
    if (arguments.empty() || !processQualifies(arguments.front())) return;
    g_report.qualified = true;

    bringUpPreferences();
    if (!enableAll()) return;

    objc::Class* statusBar = objc::objc_getClass("_UIStatusBar");
    installLayoutHook(statusBar);
    g_report.hookInstalled = statusBar != nullptr;
    addActions(statusBar);
    addPropertyAccessors(statusBar);
}

const LoadReport& lastLoadReport() { return g_report; }

void resetFlintForTesting() {
    g_report = LoadReport{};
    resetPreferencesForTesting();
    resetWaveColorsForTesting();
    resetThemeColorsForTesting();
    gen1 = nullptr;
}

}  // namespace flint

// The injection loader runs this when the library is loaded. Only a process started by the
// simulator is a simulated phone process; anywhere else (a test binary linking the library, for
// instance) loading the library does nothing.
__attribute__((constructor)) static void flintLibraryLoaded() {
    ios::Process* process = ios::Process::current();
    if (process && process->startedBySimulator()) flint::flintLoadRoutine();
}
