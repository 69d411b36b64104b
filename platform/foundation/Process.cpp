#include "platform/foundation/Process.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/foundation/DarwinNotifyCenter.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SideThreads.h"
#include "platform/foundation/SystemLog.h"

namespace ios {

namespace {
Process* g_current = nullptr;
}

const std::vector<DeviceProfile>& deviceProfiles() {
    static const std::vector<DeviceProfile> profiles = {
        {"iphone-8", 375, 667, 2, 20, 2},
        {"iphone-8-plus", 414, 736, 3, 20, 2},
        {"iphone-x", 375, 812, 3, 44, 2},
        {"iphone-11", 414, 896, 2, 44, 2},
    };
    return profiles;
}

std::optional<DeviceProfile> deviceProfileNamed(const std::string& name) {
    for (const auto& p : deviceProfiles())
        if (p.name == name) return p;
    return std::nullopt;
}

void prepareDeviceRoot(const std::filesystem::path& root) {
    std::error_code ec;
    std::filesystem::create_directories(root / "private/var/mobile/Library/Preferences", ec);
    std::filesystem::create_directories(root / "Library/Application Support", ec);
    if (!std::filesystem::exists(std::filesystem::symlink_status(root / "var")))
        std::filesystem::create_directory_symlink("private/var", root / "var", ec);
}

Process::Process(Options options) : m_options(std::move(options)) {
    if (g_current) {
        std::fprintf(stderr, "ios::Process: a process already exists\n");
        std::abort();
    }
    prepareDeviceRoot(m_options.deviceRoot);
    m_log = std::make_unique<SystemLog>(m_options.logToStderr);
    m_runLoop = std::make_unique<RunLoop>();
    m_darwin = std::make_unique<DarwinNotifyCenter>(*m_runLoop);
    g_current = this;
}

Process::~Process() {
    // Frameworks go first (newest first), while the run loop and centres still exist.
    while (!m_attached.empty()) m_attached.pop_back();
    m_center.reset();
    m_runLoop->clear();
    m_darwin.reset();
    m_runLoop.reset();
    g_current = nullptr;
}

Process* Process::current() { return g_current; }

Process& Process::shared() {
    if (!g_current) {
        std::fprintf(stderr, "ios::Process: no current process\n");
        std::abort();
    }
    return *g_current;
}

std::vector<std::string> Process::arguments() const {
    std::vector<std::string> args{m_options.executablePath};
    args.insert(args.end(), m_options.extraArguments.begin(), m_options.extraArguments.end());
    return args;
}

double Process::systemUptime() const { return m_options.uptimeAtBoot + m_runLoop->now(); }

NSNotificationCenter& Process::notificationCenter() {
    if (!m_center) m_center = NSNotificationCenter::makeForProcess();
    return *m_center;
}

std::filesystem::path devicePath(const std::string& path) {
    std::string relative = path;
    while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
    return Process::shared().deviceRoot() / relative;
}

void SystemLog::write(std::string line) {
    if (m_mirror) std::fprintf(stderr, "%s\n", line.c_str());
    m_lines.push_back(std::move(line));
}

bool SystemLog::contains(const std::string& line) const {
    return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end();
}

void NSLogLine(std::string line) {
    if (Process* p = Process::current()) {
        p->log().write(std::move(line));
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

namespace {
std::atomic<bool> g_sideThreads{true};
}  // namespace

void setSideThreadsAllowed(bool allowed) { g_sideThreads.store(allowed, std::memory_order_relaxed); }
bool sideThreadsAllowed() { return g_sideThreads.load(std::memory_order_relaxed); }

}  // namespace ios
