#include "platform/uikit/UIPhotoLibrary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/PNGEncoder.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/NSError.h"

namespace ios {

OBJC_CLASS_DEFINE(NSError, objc::Object)

objc::Ref<NSError> NSError::errorWithDomain(std::string domain, long code, std::string description) {
    auto error = objc::make<NSError>();
    error->m_domain = std::move(domain);
    error->m_code = code;
    error->m_description = std::move(description);
    return error;
}

namespace {

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           bytes[3];
}

// A whole PNG: the signature, an image header with a size, and chunks that lead to the end
// chunk inside the file. Reads only the chunk headers.
bool isWholePNG(std::istream& in, std::uintmax_t size) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char head[8 + 8 + 8];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) || std::memcmp(head, kSignature, 8) != 0) return false;
    if (std::memcmp(head + 12, "IHDR", 4) != 0 || bigEndian32(head + 8) != 13) return false;
    if (bigEndian32(head + 16) == 0 || bigEndian32(head + 20) == 0) return false;
    std::uintmax_t at = 8;
    while (at + 12 <= size) {
        unsigned char chunk[8];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) return false;
        std::uintmax_t next = at + 12 + bigEndian32(chunk);
        if (next > size) return false;
        if (std::memcmp(chunk + 4, "IEND", 4) == 0) return true;
        at = next;
    }
    return false;
}

// A whole JPEG: the start-of-image mark first and the end-of-image mark last.
bool isWholeJPEG(std::ifstream& in, std::uintmax_t size) {
    unsigned char head[3], tail[2];
    if (size < 4 || !in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    in.seekg(static_cast<std::streamoff>(size - 2));
    if (!in.read(reinterpret_cast<char*>(tail), sizeof tail)) return false;
    return head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF && tail[0] == 0xFF && tail[1] == 0xD9;
}

bool isWholeImageFile(const std::filesystem::path& path, std::uintmax_t size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    if (isWholePNG(in, size)) return true;
    in.clear();
    in.seekg(0);
    return isWholeJPEG(in, size);
}

// The centre square of the surface, `side` pixels on a side (fewer when the image is smaller).
objc::Ref<UIImage> squareThumbnail(cairo_surface_t* surface, int side) {
    if (!surface || side <= 0) return nullptr;
    cairo_surface_t* small = ImageDecoder::reduced(surface, side);
    if (!small) return nullptr;
    const int w = cairo_image_surface_get_width(small), h = cairo_image_surface_get_height(small);
    const int s = std::min({side, w, h});
    const cairo_format_t format =
        cairo_image_surface_get_format(small) == CAIRO_FORMAT_RGB24 ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
    cairo_surface_t* square = cairo_image_surface_create(format, s, s);
    cairo_t* cr = cairo_create(square);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, small, -std::floor((w - s) / 2.0), -std::floor((h - s) / 2.0));
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(small);
    if (cairo_surface_status(square) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(square);
        return nullptr;
    }
    auto image = UIImage::imageWithSurface(square, 1);  // takes its own reference
    cairo_surface_destroy(square);
    return image;
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

UIPhotoLibrary& UIPhotoLibrary::shared() { return Process::shared().attached<UIPhotoLibrary>(); }

std::filesystem::path UIPhotoLibrary::folder() const { return devicePath(kPhotoLibraryFolder); }

std::vector<std::filesystem::path> UIPhotoLibrary::photoPaths() const {
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder(), ec)) return paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), ec)) {
        auto ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (!entry.is_regular_file(ec) || (ext != ".png" && ext != ".jpg" && ext != ".jpeg")) continue;
        std::uintmax_t size = entry.file_size(ec);
        auto modified = entry.last_write_time(ec);
        if (ec) continue;
        // An empty file is a name claimed by a save still writing (or one a crash cut short).
        if (size == 0) continue;
        auto& check = m_checked[entry.path()];
        if (check.size != size || check.modified != modified) {
            check = {size, modified, isWholeImageFile(entry.path(), size)};
            if (!check.whole)
                Process::shared().log().write("Photo library: " + entry.path().filename().string() +
                                              " is not a whole PNG or JPEG image; it is not listed");
        }
        if (check.whole) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

objc::Ref<UIImage> UIPhotoLibrary::imageAtIndex(std::size_t index) const {
    auto paths = photoPaths();
    if (index >= paths.size()) return nullptr;
    return UIImage::imageWithContentsOfHostFile(paths[index], 1);
}

std::filesystem::path UIPhotoLibrary::saveImage(const objc::Ref<UIImage>& image, std::string& error) {
    if (!image || image->pixelWidth() <= 0 || image->pixelHeight() <= 0) {
        error = "The image is empty";
        return {};
    }
    if (!m_writeAuthorized) {
        error = "The user has not allowed adding photos";
        return {};
    }
    auto bytes = image->pngRepresentation();
    if (bytes.empty()) {
        error = "The photo could not be written";
        return {};
    }
    auto path = writeNext(bytes, error);
    // Opaque pixels come back from the PNG exactly; partly transparent ones need not.
    if (!path.empty()) added(path, image, image->isOpaque());
    return path;
}

std::optional<UIPhotoLibrary::Stamp> UIPhotoLibrary::stampOf(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    const auto modified = std::filesystem::last_write_time(path, ec);
    if (ec) return std::nullopt;
    return Stamp{size, modified};
}

void UIPhotoLibrary::added(const std::filesystem::path& path, const objc::Ref<UIImage>& image, bool exact) {
    const int side = UIImagePickerController::thumbnailSide();
    storeThumbnail(thumbnailPath(path, side), squareThumbnail(image->surface(), side));
    m_recent = {};
    if (const auto stamp = stampOf(path); stamp && exact)
        m_recent = {path, *stamp, image->scale() == 1 ? image : UIImage::imageWithSurface(image->surface(), 1)};
}

objc::Ref<UIImage> UIPhotoLibrary::imageOfPhoto(const std::filesystem::path& photo) {
    if (m_recent.image && photo == m_recent.path && stampOf(photo) == m_recent.stamp) return m_recent.image;
    return UIImage::imageWithContentsOfHostFile(photo, 1);
}

std::filesystem::path UIPhotoLibrary::addPNGData(const UIImage::Data& png, std::string& error,
                                                 const objc::Ref<UIImage>& decoded) {
    if (!m_writeAuthorized) {
        error = "The user has not allowed adding photos";
        return {};
    }
    std::istringstream in(std::string(png.begin(), png.end()));
    if (!isWholePNG(in, png.size())) {
        error = "The data is not a whole PNG image";
        return {};
    }
    auto path = writeNext(png, error);
    if (!path.empty() && decoded) added(path, decoded, true);
    return path;
}

std::filesystem::path UIPhotoLibrary::writeNext(const UIImage::Data& bytes, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder(), ec);
    if (!std::filesystem::is_directory(folder(), ec)) {
        error = "The photo library is unavailable";
        return {};
    }
    // The next number after every IMG_ name in the folder, listed or not (claims in progress and
    // damaged files included); a name another process claims first moves on to the next one.
    int next = 1;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), ec)) {
        int n = 0;
        if (std::sscanf(entry.path().filename().string().c_str(), "IMG_%d", &n) == 1 && n < 1000000)
            next = std::max(next, n + 1);
    }
    constexpr int kClaimAttempts = 1000;
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt, ++next) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.PNG", next);
        auto path = folder() / name;
        if (!createFileExclusively(path)) {
            if (std::filesystem::exists(path, ec)) continue;
            break;
        }
        if (writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
            return path;
        std::filesystem::remove(path, ec);
        break;
    }
    error = "The photo could not be written";
    return {};
}

std::filesystem::path UIPhotoLibrary::thumbnailPath(const std::filesystem::path& photo, int side) const {
    // Named after the photo's name, size and modification time, so a photo written again under
    // its old name never meets the thumbnail of what it was.
    const auto stamp = stampOf(photo);
    if (!stamp) return {};
    const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::file_clock::to_sys(stamp->modified).time_since_epoch())
                           .count();
    return devicePath(kThumbnailFolder) / std::to_string(side) /
           (photo.filename().string() + "-" + std::to_string(stamp->size) + "-" + std::to_string(ticks) + ".PNG");
}

objc::Ref<UIImage> UIPhotoLibrary::thumbnailOfPhoto(const std::filesystem::path& photo, int side) {
    const auto stored = thumbnailPath(photo, side);
    if (stored.empty()) return nullptr;
    if (const auto bytes = readFile(stored); !bytes.empty()) {
        if (auto image = UIImage::imageWithData(bytes); image && image->pixelWidth() == image->pixelHeight())
            return image;
    }
    auto reduced = UIImage::thumbnailWithContentsOfHostFile(photo, side);
    if (!reduced) return nullptr;
    ++m_thumbnailsDecoded;
    auto thumbnail = squareThumbnail(reduced->surface(), side);
    storeThumbnail(stored, thumbnail);
    return thumbnail;
}

void UIPhotoLibrary::storeThumbnail(const std::filesystem::path& path, const objc::Ref<UIImage>& thumbnail) {
    if (!thumbnail || path.empty()) return;
    // Quick to write and to read back: the picker reads thumbnails a screenful at a time.
    std::vector<std::uint8_t> bytes;
    if (PNGEncoder::encodeSurface(thumbnail->surface(), PNGEncoding::Effort::Quick, bytes) &&
        writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return;
    // A store that cannot be written costs only speed: the thumbnail is made again next time.
    if (!m_storeFailureLogged)
        Process::shared().log().write("Photo library: cannot keep thumbnails in " + path.parent_path().string());
    m_storeFailureLogged = true;
}

void UIImageWriteToSavedPhotosAlbum(const objc::Ref<UIImage>& image, const objc::id& completionTarget,
                                    objc::SEL completionSelector, const objc::id& contextInfo) {
    std::string message;
    auto path = UIPhotoLibrary::shared().saveImage(image, message);
    objc::id error;
    if (path.empty()) {
        error = NSError::errorWithDomain("ALAssetsLibraryErrorDomain", -3301, message);
        Process::shared().log().write("Photo library: " + message);
    }
    if (!completionTarget || !completionSelector) return;
    objc::WeakRef<objc::Object> weak = completionTarget;
    objc::id imageObject = image;
    Process::shared().runLoop().post([weak, completionSelector, imageObject, error, contextInfo] {
        objc::id target = weak.lock();
        if (!target) return;
        objc::id all[] = {imageObject, error, contextInfo};
        int count = std::clamp(objc::sel_argumentCount(completionSelector), 0, 3);
        objc::msgSendv(target.get(), completionSelector,
                       std::span<const objc::id>(all, static_cast<std::size_t>(count)));
    });
}

}  // namespace ios
