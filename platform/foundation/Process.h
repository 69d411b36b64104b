#pragma once
// The simulated process: what the phone's process would own process-wide. Exactly one exists at
// a time (Process::current()); tests make a fresh one per test (see tests/support/TestProcess.h).

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

namespace ios {

class RunLoop;
class SystemLog;
class NSNotificationCenter;
class DarwinNotifyCenter;

struct DeviceProfile {
    std::string name;
    double width = 375;
    double height = 812;
    double scale = 3;
    double statusBarHeight = 44;
    int userInterfaceStyle = 2;  // 0 unspecified, 1 light, 2 dark
};

// The four screen classes: iphone-8, iphone-8-plus, iphone-x (the default), iphone-11.
std::optional<DeviceProfile> deviceProfileNamed(const std::string& name);
const std::vector<DeviceProfile>& deviceProfiles();

class Process {
public:
    struct Options {
        std::string executablePath = "/System/Library/CoreServices/SpringBoard.app/SpringBoard";
        std::vector<std::string> extraArguments;
        std::filesystem::path deviceRoot;  // required
        DeviceProfile profile = *deviceProfileNamed("iphone-x");
        double uptimeAtBoot = 0;          // system uptime when the media clock reads 0
        bool startedBySimulator = false;  // the library's initialiser runs only in such a process
        bool logToStderr = false;
    };

    explicit Process(Options options);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    static Process* current();
    // The current process; aborts with a clear message when there is none.
    static Process& shared();

    const std::string& executablePath() const { return m_options.executablePath; }
    std::vector<std::string> arguments() const;
    const std::filesystem::path& deviceRoot() const { return m_options.deviceRoot; }
    const DeviceProfile& profile() const { return m_options.profile; }
    DeviceProfile& mutableProfile() { return m_options.profile; }
    bool startedBySimulator() const { return m_options.startedBySimulator; }
    double systemUptime() const;

    RunLoop& runLoop() { return *m_runLoop; }
    SystemLog& log() { return *m_log; }
    NSNotificationCenter& notificationCenter();
    DarwinNotifyCenter& darwinNotifyCenter() { return *m_darwin; }

    // Process-wide state of the frameworks built on this one (the screen, the shared
    // application, ...), created on first use and destroyed with the process, newest first.
    template <class T>
    T& attached() {
        for (auto& [type, object] : m_attached)
            if (type == std::type_index(typeid(T))) return *static_cast<T*>(object.get());
        auto object = std::make_shared<T>();
        T& result = *object;
        m_attached.emplace_back(std::type_index(typeid(T)), std::move(object));
        return result;
    }

private:
    Options m_options;
    std::unique_ptr<SystemLog> m_log;
    std::unique_ptr<RunLoop> m_runLoop;
    std::unique_ptr<DarwinNotifyCenter> m_darwin;
    std::shared_ptr<NSNotificationCenter> m_center;
    std::vector<std::pair<std::type_index, std::shared_ptr<void>>> m_attached;
};

// Makes the folders of a device root (private/var/mobile/Library/Preferences, Library, and the
// "var" link to "private/var" as on the phone). Safe to call on an existing root.
void prepareDeviceRoot(const std::filesystem::path& root);

// Maps an absolute device path ("/var/mobile/...") under the current process's device root.
std::filesystem::path devicePath(const std::string& path);

// NSProcessInfo: the process's arguments and the system uptime.
class NSProcessInfo {
public:
    static NSProcessInfo processInfo() { return {}; }
    std::vector<std::string> arguments() const { return Process::shared().arguments(); }
    double systemUptime() const { return Process::shared().systemUptime(); }
};

}  // namespace ios
