#include "sim/batch/PhotosCommand.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>

#include "platform/foundation/Process.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "sim/batch/PhotoImport.h"

namespace flint::sim {

namespace {

std::string pixels(const ImageFile& file) { return std::to_string(file.width) + " × " + std::to_string(file.height); }

int add(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    int failures = 0;
    for (const auto& file : files) {
        std::string error;
        auto image = readImageFile(file, error);
        if (image && !ios::UIImage::imageWithData(image->bytes)) error = file + ": the image cannot be decoded";
        const auto photo =
            image && error.empty() ? addToPhotoLibrary(*image, std::nullopt, file, error) : std::filesystem::path();
        if (photo.empty()) {
            err << "flint-sim photos: " << error << "\n";
            ++failures;
            continue;
        }
        out << "added " << file << " as photo " << ios::UIPhotoLibrary::shared().photoCount() << " ("
            << photo.filename().string() << ", " << pixels(*image) << ")\n";
    }
    return failures ? 1 : 0;
}

int list(std::ostream& out) {
    const auto paths = ios::UIPhotoLibrary::shared().photoPaths();
    int n = 0;
    for (const auto& path : paths) {
        std::string error;
        auto image = readImageFile(path, error);
        out << ++n << "  " << path.filename().string() << "  " << (image ? pixels(*image) : "unreadable") << "\n";
    }
    if (paths.empty()) out << "the photo library is empty\n";
    return 0;
}

int exportPhoto(const std::string& number, const std::string& target, std::ostream& out, std::ostream& err) {
    const auto paths = ios::UIPhotoLibrary::shared().photoPaths();
    std::size_t n = 0;
    try {
        std::size_t used = 0;
        n = std::stoul(number, &used);
        if (used != number.size()) n = 0;
    } catch (const std::exception&) {
        n = 0;
    }
    if (n < 1 || n > paths.size()) {
        err << "flint-sim photos: there is no photo " << number << " (the library holds " << paths.size() << ")\n";
        return 1;
    }
    std::string error;
    auto image = readImageFile(paths[n - 1], error);
    if (!image || !writeFileAtomically(target, image->bytes, error)) {
        err << "flint-sim photos: " << error << "\n";
        return 1;
    }
    out << "wrote " << target << " (photo " << n << ", " << pixels(*image) << ")\n";
    return 0;
}

}  // namespace

int runPhotosCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{"flint-sim photos: a device root's photo library"};
    app.name("flint-sim photos");
    std::string root;
    app.add_option("--root", root, "device root")->required();
    app.require_subcommand(1, 1);
    auto* addCommand = app.add_subcommand("add", "add image files as the newest photos");
    std::vector<std::string> files;
    addCommand->add_option("files", files, "PNG or JPEG files")->required();
    auto* listCommand = app.add_subcommand("list", "list the photos, oldest first");
    auto* exportCommand = app.add_subcommand("export", "write photo N (1 is the oldest) to a file");
    std::string number, target;
    exportCommand->add_option("N", number, "photo number")->required();
    exportCommand->add_option("FILE", target, "file to write")->required();
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "flint-sim photos: " << e.what() << "\n";
        return 2;
    }
    std::error_code ec;
    if (!*addCommand && !std::filesystem::is_directory(root, ec)) {
        err << "flint-sim photos: " << root << " is not a device root\n";
        return 1;
    }
    std::filesystem::create_directories(root, ec);
    ios::Process::Options options;
    options.deviceRoot = std::filesystem::absolute(root);
    ios::Process process(std::move(options));
    if (*addCommand) return add(files, out, err);
    if (*listCommand) return list(out);
    return exportPhoto(number, target, out, err);
}

}  // namespace flint::sim
