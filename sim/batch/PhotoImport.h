#pragma once
// Image files as the composer takes them in: at most 8192 pixels on a side and 64 MiB, PNG or
// JPEG; and their way into the device's photo library, where the image picker finds them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/UIImage.h"

namespace flint::sim {

inline constexpr int kMaximumImageSide = 8192;
inline constexpr std::uintmax_t kMaximumImageBytes = 64u << 20;

struct ImageFile {
    ios::UIImage::Data bytes;
    int width = 0, height = 0;
    bool png = false;
};

// Reads a file and its dimensions from the PNG or JPEG header, refusing what is too large before
// any pixel is decoded; none with the reason ("not found", "9000 × 200 pixels, more than …").
std::optional<ImageFile> readImageFile(const std::filesystem::path& path, std::string& error);

// An image file read and decoded on a thread of its own, started at construction, so that the
// caller can go on meanwhile (boot a device, open the editor). The decode is the one
// UIImage::imageWithData makes; when the caller knows how many device pixels the image will
// cover upright (`drawnAt`), the reduced copy that drawing needs is made there too.
class ImageFileAhead {
public:
    explicit ImageFileAhead(std::filesystem::path path, std::optional<std::pair<int, int>> drawnAt = std::nullopt);
    ~ImageFileAhead();  // waits for the thread
    ImageFileAhead(const ImageFileAhead&) = delete;
    ImageFileAhead& operator=(const ImageFileAhead&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Waits for the thread. The file with its image in `image` (null when the pixels do not
    // decode), or none with readImageFile's reason. Once only: afterwards, none.
    std::optional<ImageFile> take(ios::UIImageRef& image, std::string& error);

private:
    std::filesystem::path m_path;
    std::optional<ImageFile> m_file;
    std::string m_error;
    ios::ImageDecoder::Result m_decoded;
    std::thread m_thread;
};

// Adds an image file read by readImageFile to the current process's photo library as its newest
// photo: a PNG with its own bytes, a JPEG as the PNG of its pixels. `decoded` is the file's image
// when the caller has decoded it already (null: it does not decode); without it the file is
// decoded here. The photo's path, or empty with the reason, which starts with `what`.
std::filesystem::path addToPhotoLibrary(const ImageFile& file, std::optional<ios::UIImageRef> decoded,
                                        const std::string& what, std::string& error);

// Writes bytes to a temporary file beside `target` and renames it over the target, so the target
// is never seen half written; false with the reason.
bool writeFileAtomically(const std::filesystem::path& target, const ios::UIImage::Data& bytes, std::string& error);
// From now on an interrupt, termination or hang-up asks this process to stop: the work in hand
// may finish, and the process then ends cleanly (stopSignal says which signal asked, and
// endIfStopped ends the process by it once its temporary files are gone). A second such signal
// ends the process at once, removing the temporary file being written first. A signal the process
// was started ignoring (a background job's interrupt, nohup's hang-up) stays ignored.
void installStopHandlers();
// The signal that asked this process to stop, or 0.
int stopSignal();
// When a stop was asked for: ends the process by that signal, as if it had not been caught.
void endIfStopped();

}  // namespace flint::sim
