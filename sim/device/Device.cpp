#include "sim/device/Device.h"

#include <dlfcn.h>

#include <cstdlib>
#include <ostream>

#include "platform/bsd/DeviceNetwork.h"
#include "platform/bsd/SimulatedBackend.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemLog.h"
#include "platform/services/MediaRemote.h"
#include "platform/springboard/HomeScreen.h"
#include "sim/device/LibraryBridge.h"
#include "startup/entry/FlintBridge.h"
#include "startup/FlintPreferences.h"
#include "startup/entry/LoadRoutine.h"

namespace flint::sim {

ios::Value parsePreferenceValue(const std::string& text) {
    if (text == "true" || text == "YES") return true;
    if (text == "false" || text == "NO") return false;
    if (!text.empty()) {
        char* end = nullptr;
        long long integer = std::strtoll(text.c_str(), &end, 10);
        if (*end == '\0' && text.find_first_not_of("+-0123456789") == std::string::npos)
            return static_cast<std::int64_t>(integer);
        double real = std::strtod(text.c_str(), &end);
        if (*end == '\0' && text.find_first_not_of("+-0123456789.eE") == std::string::npos) return real;
    }
    return text;
}

std::optional<std::pair<std::string, ios::Value>> parseAssignment(const std::string& text) {
    auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return std::make_pair(text.substr(0, eq), parsePreferenceValue(text.substr(eq + 1)));
}

std::string preferenceFilePath(PreferenceFile file) {
    return file == PreferenceFile::Colors ? kColorFilePath : kSlotFilePath;
}

void printSystemLog(std::ostream& out, ios::Process& process) {
    const auto& lines = process.log().lines();
    if (lines.empty()) return;
    out << "System log:\n";
    for (const std::string& line : lines) out << "  " << line << "\n";
}

void installBundle(const std::filesystem::path& root, bool linked) {
    auto target = root / "Library/Application Support/Flint.bundle";
    std::error_code ec;
    std::filesystem::create_directories(target, ec);
    for (const auto& entry : std::filesystem::directory_iterator(FLINT_BUNDLE_DIR, ec)) {
        auto destination = target / entry.path().filename();
        if (std::filesystem::exists(destination)) continue;
        if (linked) {
            std::error_code linkError;
            std::filesystem::create_hard_link(entry.path(), destination, linkError);
            if (!linkError) continue;
        }
        std::filesystem::copy_file(entry.path(), destination, ec);
    }
}

void applyBackendChoice(BootOptions& options, const std::string& backend) {
    options.simulatedNetwork = backend != "host";
    options.hostMedia = backend == "host";
}

ScratchProcess::ScratchProcess(const std::string& rootPrefix) {
    if (ios::Process::current()) return;
    std::string pattern = (std::filesystem::temp_directory_path() / (rootPrefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return;
    m_root = pattern;
    ios::Process::Options options;
    options.deviceRoot = m_root;
    m_own = std::make_unique<ios::Process>(std::move(options));
}

ScratchProcess::~ScratchProcess() {
    m_own.reset();
    std::error_code ec;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ec);
}

Device::Device(BootOptions options) : m_options(std::move(options)) {
    m_root = m_options.root;
    if (m_root.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "flint-sim-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a device root");
        m_root = pattern;
        m_temporaryRoot = true;
    }
    ios::Process::Options processOptions;
    processOptions.executablePath = m_options.executable;
    processOptions.deviceRoot = m_root;
    if (auto profile = ios::deviceProfileNamed(m_options.profile))
        processOptions.profile = *profile;
    else
        throw std::runtime_error("unknown device profile: " + m_options.profile);
    if (m_options.appearance) processOptions.profile.userInterfaceStyle = *m_options.appearance;
    processOptions.startedBySimulator = true;
    m_process = std::make_unique<ios::Process>(std::move(processOptions));
    installBundle(m_root, m_temporaryRoot);

    if (m_options.simulatedNetwork) {
        auto file = bsd::DeviceNetwork::fileIn(m_root);
        bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone();
        if (std::filesystem::exists(file)) {
            std::string error;
            if (auto loaded = bsd::DeviceNetwork::load(file, error))
                network = *loaded;
            else
                ios::NSLogLine("Device: " + file.string() + ": " + error + "; using a typical phone's network");
        } else if (!network.save(file)) {
            ios::NSLogLine("Device: cannot write " + file.string());
        }
        m_previousBackend = bsd::setBackend(std::make_shared<bsd::SimulatedBackend>(std::move(network)));
        m_installedBackend = true;
    }
    if (m_options.hostMedia) ios::MRNowPlayingPlayer::shared().useHostPlayers();

    if (!m_options.preferences.empty()) {
        auto domain = ios::dictionaryWithContentsOfFile(kSlotFilePath).value_or(ios::Dictionary{});
        for (const auto& [key, value] : m_options.preferences) domain[key] = value;
        ios::writeDictionaryToFile(domain, kSlotFilePath);
    }
}

Device::~Device() {
    // The library stays loaded, as an injected library stays for the life of its process.
    m_process.reset();
    if (m_installedBackend) bsd::setBackend(std::move(m_previousBackend));
    if (m_temporaryRoot) {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
}

bool Device::loadLibrary(std::string& error) {
    std::string path = m_options.libraryPath.empty() ? FLINT_LIBRARY_PATH : m_options.libraryPath;
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!m_library) {
        const char* message = dlerror();
        error = message ? message : "dlopen failed";
        return false;
    }
    return true;
}

const FlintBridge* Device::bridge(std::string& error) const { return flintBridge(m_library, error); }

const LoadReport* Device::loadReport() const {
    std::string error;
    const FlintBridge* table = bridge(error);
    return table ? table->loadReport() : nullptr;
}

std::optional<std::string> Device::exportedSlot(int n) const {
    std::string error;
    const FlintBridge* table = bridge(error);
    return table ? table->applicationSlot(n) : std::nullopt;
}

void Device::layoutStatusBar() { ios::HomeScreen::shared().layoutStatusBar(); }

void Device::bootHomeScreen() {
    ios::HomeScreen::shared().boot();
    ios::HomeScreen::shared().layoutStatusBar();
}

}  // namespace flint::sim
