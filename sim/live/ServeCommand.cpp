#include "sim/live/ServeCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>

#include "platform/springboard/DeviceConfiguration.h"
#include "sim/live/LiveServer.h"

namespace flint::live {

namespace {

// Starts this program afresh on the same root and listening socket with another profile.
void rebootInto(const ServeOptions& options, const std::string& profile, const std::string& appearance, int listenFd,
                std::ostream& err) {
    // Only the listening socket crosses: viewers' sockets close, and their pages reconnect.
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != listenFd) fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(listenFd, F_SETFD, 0);
    std::vector<std::string> args = {"flint-sim",    "serve",
                                     "--root",       options.live.root.string(),
                                     "--profile",    profile,
                                     "--appearance", appearance,
                                     "--host",       options.live.host,
                                     "--port",       std::to_string(options.live.port),
                                     "--listen-fd",  std::to_string(listenFd)};
    if (options.live.scale > 0) args.insert(args.end(), {"--scale", std::to_string(options.live.scale)});
    if (options.removeRootAtExit) args.emplace_back("--temporary-root");
    args.insert(args.end(), {"--backend", options.live.backend});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    err << "flint-sim serve: cannot reboot: " << std::strerror(errno) << "\n";
}

}  // namespace

CLI::App* addServeCommand(CLI::App& app, ServeOptions& options) {
    auto* serve = app.add_subcommand("serve", "the live simulator: the device in a browser page (mouse = finger)");
    serve->add_option("--root", options.live.root, "device root (default: a fresh temporary folder)");
    serve->add_option("--profile", options.live.profile, "iphone-8, iphone-8-plus, iphone-x or iphone-11")
        ->check(CLI::IsMember({"iphone-8", "iphone-8-plus", "iphone-x", "iphone-11"}));
    serve->add_option("--appearance", options.appearanceName, "light, dark or unspecified (default: the profile's)");
    serve->add_option("--host", options.live.host, "address to listen on (default 127.0.0.1: this machine only)");
    serve->add_option("--port", options.live.port, "port (0: any free one)")->check(CLI::Range(0, 65535));
    serve->add_option("--scale", options.live.scale, "pixels per point (default: the profile's)")
        ->check(CLI::Range(0.5, 4.0));
    serve
        ->add_option("--backend", options.live.backend,
                     "simulated (default): the device's own network and music; host: this machine's network, "
                     "Wi-Fi name and media players")
        ->check(CLI::IsMember({"host", "simulated"}));
    // Set by the command itself when it reboots into another profile.
    serve->add_option("--listen-fd", options.live.listenDescriptor)->group("");
    serve->add_flag("--temporary-root", options.removeRootAtExit)->group("");
    return serve;
}

int runServe(ServeOptions options, std::ostream& out, std::ostream& err) {
    if (!options.appearanceName.empty()) {
        options.live.appearance = ios::appearanceNamed(options.appearanceName);
        if (!options.live.appearance) {
            err << "flint-sim serve: appearance is light, dark or unspecified\n";
            return 2;
        }
    }
    if (options.live.root.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "flint-live-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            err << "flint-sim serve: cannot make a device root\n";
            return 1;
        }
        options.live.root = pattern;
        options.removeRootAtExit = true;
    }
    auto removeRoot = [&] {
        std::error_code ec;
        if (options.removeRootAtExit) std::filesystem::remove_all(options.live.root, ec);
    };

    boost::asio::io_context io(1);
    std::optional<std::string> reboot;
    std::string appearance;
    int listenFd = -1;
    {
        LiveDevice device(options.live);
        LiveServer server(io, device, options.live);
        std::string error;
        if (!server.listen(error)) {
            err << "flint-sim serve: " << error << "\n";
            removeRoot();
            return 1;
        }
        if (options.live.host != "127.0.0.1" && options.live.host != "::1")
            err << "flint-sim serve: WARNING: listening on " << options.live.host
                << ": anyone who can reach this address can drive the device and read its photos\n";
        boost::asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&](boost::system::error_code ec, int) {
            if (!ec) server.stop();
        });
        std::string host =
            options.live.host.find(':') != std::string::npos ? "[" + options.live.host + "]" : options.live.host;
        out << "Flint live at http://" << host << ":" << server.port() << "/  (" << device.profile() << ", "
            << ios::appearanceName(device.appearance()) << ")" << std::endl;
        server.start();
        io.run();
        reboot = server.rebootProfile();
        appearance = ios::appearanceName(device.appearance());
        if (reboot) listenFd = dup(server.listenDescriptor());
        options.live.port = server.port();
    }
    if (reboot && listenFd >= 0) {
        out << "rebooting as " << *reboot << std::endl;
        rebootInto(options, *reboot, appearance, listenFd, err);
        return 1;
    }
    removeRoot();
    return 0;
}

}  // namespace flint::live
