#pragma once
// A simulated phone for flint-sim: a device root, one process booted on it, and the library
// loaded into that process the way the injection loader loads it.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/foundation/Value.h"

struct FlintBridge;
namespace flint {
struct LoadReport;
}
namespace bsd {
class Backend;
}

namespace flint::sim {

inline constexpr const char* kHomeScreenExecutable = "/System/Library/CoreServices/SpringBoard.app/SpringBoard";

// "true"/"false" → bool, whole numbers → integer, decimals → real, anything else → text.
ios::Value parsePreferenceValue(const std::string& text);
// "KEY=VALUE" → (KEY, value); none when there is no "=" or no key.
std::optional<std::pair<std::string, ios::Value>> parseAssignment(const std::string& text);

struct BootOptions {
    std::string executable = kHomeScreenExecutable;
    std::filesystem::path root;  // empty: a fresh temporary device root
    std::string profile = "iphone-x";
    std::vector<std::pair<std::string, ios::Value>> preferences;  // written before boot
    std::string libraryPath;                                      // empty: the libFlint.so of this build
    std::optional<int> appearance;                                // UIUserInterfaceStyle; none: the profile's
    // Serve the device's network file (made with a typical phone's facts when missing) to the
    // networking, Wi-Fi and telephony stand-ins instead of the host's interfaces.
    bool simulatedNetwork = false;
    // Serve this machine's media players (the session bus) to the now-playing service instead of
    // the device configuration's library.
    bool hostMedia = false;
};

// The one switch of flint-sim's --backend: "host" serves this machine's network, Wi-Fi and media
// players, "simulated" the device's own configuration.
void applyBackendChoice(BootOptions& options, const std::string& backend);

class Device {
public:
    explicit Device(BootOptions options);
    ~Device();

    ios::Process& process() { return *m_process; }
    const std::filesystem::path& root() const { return m_root; }
    bool temporaryRoot() const { return m_temporaryRoot; }

    // dlopen()s the library; its initialiser runs the load routine. False with a message on failure.
    bool loadLibrary(std::string& error);
    // The loaded library's entry table; none with the reason.
    const FlintBridge* bridge(std::string& error) const;
    // What the load routine did, read from the loaded library.
    const LoadReport* loadReport() const;
    // The library's exported application slot `bundleID<n>`.
    std::optional<std::string> exportedSlot(int n) const;
    // The home screen lays out its status bar.
    void layoutStatusBar();
    // Boots the home screen (wallpaper, icons, status-bar window) and lays out its status bar.
    void bootHomeScreen();

private:
    BootOptions m_options;
    std::filesystem::path m_root;
    bool m_temporaryRoot = false;
    std::unique_ptr<ios::Process> m_process;
    void* m_library = nullptr;
    std::shared_ptr<bsd::Backend> m_previousBackend;
    bool m_installedBackend = false;
};

// Writes the process's system log under a "System log:" heading; nothing when it is empty.
void printSystemLog(std::ostream& out, ios::Process& process);

// Puts the bundle images this build drew into a device root's
// "/Library/Application Support/Flint.bundle/", keeping images already there. Copied, or, when
// `linked` (for a root that lives only as long as its device), hard-linked where the file system
// allows: the system only ever reads its bundle, and a link costs no new file.
void installBundle(const std::filesystem::path& root, bool linked = false);

// The current process, or, when there is none, a process of its own on a temporary device root
// for as long as this object lives (the root is removed with it).
class ScratchProcess {
public:
    explicit ScratchProcess(const std::string& rootPrefix);
    ~ScratchProcess();
    ScratchProcess(const ScratchProcess&) = delete;
    ScratchProcess& operator=(const ScratchProcess&) = delete;
    // False when a process was needed and could not be made.
    bool ok() const { return ios::Process::current() != nullptr; }

private:
    std::unique_ptr<ios::Process> m_own;
    std::filesystem::path m_root;
};

// Preference files as the settings pane writes them.
enum class PreferenceFile { Domain, Colors };
std::string preferenceFilePath(PreferenceFile file);

}  // namespace flint::sim
