#include "sim/cli/MediaCommand.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <thread>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/services/MPRISPlayers.h"
#include "platform/services/MediaRemote.h"
#include "sim/device/Device.h"

namespace flint::sim {

namespace {

const std::map<std::string, unsigned> kCommands = {
    {"play-pause", ios::kMRTogglePlayPause}, {"next", ios::kMRNextTrack}, {"previous", ios::kMRPreviousTrack}};

std::string textOf(const ios::Dictionary& info, const char* key) {
    auto found = info.find(key);
    if (found == info.end() || !found->second.string()) return "(none)";
    return *found->second.string();
}

void describe(std::ostream& out) {
    auto& player = ios::MRNowPlayingPlayer::shared();
    ios::Dictionary info = player.nowPlayingInformation();
    if (ios::MPRISPlayers* host = player.hostPlayers()) {
        out << "  players   ";
        if (host->players().empty()) out << "(none)";
        for (std::size_t i = 0; i < host->players().size(); ++i) {
            const auto& p = host->players()[i];
            out << (i ? ", " : "") << p.busName << " (" << (p.status.empty() ? "no status" : p.status) << ")";
        }
        out << "\n  player    " << (host->current() ? host->current()->busName : "(none)") << "\n";
    } else {
        out << "  player    simulated library, track " << player.currentIndex() + 1 << " of " << player.library().size()
            << "\n";
    }
    out << "  title     " << textOf(info, ios::kMRMediaRemoteNowPlayingInfoTitle) << "\n";
    out << "  artist    " << textOf(info, ios::kMRMediaRemoteNowPlayingInfoArtist) << "\n";
    auto artwork = info.find(ios::kMRMediaRemoteNowPlayingInfoArtworkData);
    out << "  artwork   "
        << (artwork != info.end() && artwork->second.data() ? std::to_string(artwork->second.data()->size()) + " bytes"
                                                            : std::string("(none)"))
        << "\n";
    out << "  playing   " << (player.isPlaying() ? "yes" : "no") << "\n";
}

}  // namespace

int runMedia(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{"Prints what the now-playing back end sees and can send it a command", "media"};
    std::string backend = "host";
    std::string root;
    std::string bus;
    std::optional<std::string> send;
    double wait = 1;
    app.add_option("--backend", backend,
                   "host: this machine's media players; simulated: the device configuration's library")
        ->check(CLI::IsMember({"host", "simulated"}));
    app.add_option("--root", root, "device root (its configuration's library for the simulated back end)");
    app.add_option("--bus", bus, "address of the bus to look on (default: the session bus)");
    app.add_option("--send", send, "play-pause, next or previous")
        ->check(CLI::IsMember({"play-pause", "next", "previous"}));
    app.add_option("--wait", wait, "longest wait for the player to answer a command, in seconds")
        ->check(CLI::Range(0.0, 30.0));
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err);
    }
    if (!bus.empty() && backend != "host") err << "media: --bus applies to the host back end only; ignored\n";

    bool ownsRoot = root.empty();
    ios::Process::Options options;
    if (ownsRoot) {
        std::string pattern = (std::filesystem::temp_directory_path() / "flint-media-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            err << "media: cannot make a device root\n";
            return 1;
        }
        options.deviceRoot = pattern;
    } else {
        options.deviceRoot = root;
    }
    {
        ios::Process process(options);
        auto& player = ios::MRNowPlayingPlayer::shared();
        if (backend == "host") player.useHostPlayers(bus);
        auto& loop = process.runLoop();
        loop.runUntilIdle();
        out << "Flint now playing, " << backend << " back end"
            << (backend == "host" ? " (" + (bus.empty() ? std::string("the session bus") : bus) + ")" : std::string())
            << "\n";
        describe(out);
        if (send) {
            int changes = 0;
            auto& center = ios::NSNotificationCenter::defaultCenter();
            auto token = center.addObserverForName(std::nullopt, nullptr, [&](const ios::NSNotification& n) {
                changes += n.name().rfind("kMRMediaRemote", 0) == 0;
            });
            bool taken = ios::MRMediaRemoteSendCommand(kCommands.at(*send), nullptr);
            // The player answers in its own time: turn the loop (polling the bus) until it
            // announces a change or the wait is over.
            auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(wait);
            loop.runUntilIdle();
            while (changes == 0 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                loop.advanceBy(0.02);
            }
            center.removeObserver(token.get());
            out << "Sent " << *send
                << (taken && (backend != "host" || player.hostPlayers()->current()) ? "" : " (nobody to take it)")
                << (changes ? "; now:" : "; no change announced:") << "\n";
            describe(out);
        }
        printSystemLog(out, process);
    }
    if (ownsRoot) {
        std::error_code ec;
        std::filesystem::remove_all(options.deviceRoot, ec);
    }
    return 0;
}

}  // namespace flint::sim
