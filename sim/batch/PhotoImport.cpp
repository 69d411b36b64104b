#include "sim/batch/PhotoImport.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/uikit/UIPhotoLibrary.h"

namespace flint::sim {

namespace {

unsigned be16(const std::uint8_t* p) { return (unsigned(p[0]) << 8) | p[1]; }
unsigned long be32(const std::uint8_t* p) { return (be16(p) << 16) | be16(p + 2); }

bool pngSize(const ios::UIImage::Data& b, int& width, int& height) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 24 || std::memcmp(b.data(), signature, 8) != 0 || std::memcmp(b.data() + 12, "IHDR", 4) != 0)
        return false;
    const unsigned long w = be32(b.data() + 16), h = be32(b.data() + 20);
    width = static_cast<int>(std::min(w, 1ul << 30));
    height = static_cast<int>(std::min(h, 1ul << 30));
    return true;
}

// Walks the JPEG segments to the first start-of-frame marker.
bool jpegSize(const ios::UIImage::Data& b, int& width, int& height) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF) return false;
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const std::size_t length = be16(&b[at + 2]);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > b.size()) return false;
            height = static_cast<int>(be16(&b[at + 5]));
            width = static_cast<int>(be16(&b[at + 7]));
            return true;
        }
        if (length < 2) return false;
        at += 2 + length;
    }
    return false;
}

// The temporary file being written, for the signal handler.
char g_partial[4096];

volatile sig_atomic_t g_stopSignal = 0;

void onStopSignal(int signal) {
    if (g_stopSignal == 0) {
        g_stopSignal = signal;
        return;
    }
    // Asked twice: at once.
    if (g_partial[0]) unlink(g_partial);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

std::string pixels(int width, int height) { return std::to_string(width) + " × " + std::to_string(height) + " pixels"; }

}  // namespace

std::optional<ImageFile> readImageFile(const std::filesystem::path& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = path.string() + ": " + (std::filesystem::exists(path, ec) ? "not a file" : "not found");
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaximumImageBytes) {
        error = path.string() + ": " +
                (ec ? ec.message() : std::to_string(size >> 20) + " MiB, more than the 64 MiB an image may have");
        return std::nullopt;
    }
    ImageFile file;
    std::ifstream in(path, std::ios::binary);
    file.bytes.resize(size);
    if (!in.read(reinterpret_cast<char*>(file.bytes.data()), static_cast<std::streamsize>(size))) {
        error = path.string() + ": cannot be read";
        return std::nullopt;
    }
    file.png = pngSize(file.bytes, file.width, file.height);
    if (!file.png && !jpegSize(file.bytes, file.width, file.height)) {
        error = path.string() + ": not a PNG or JPEG image";
        return std::nullopt;
    }
    if (file.width <= 0 || file.height <= 0 || file.width > kMaximumImageSide || file.height > kMaximumImageSide) {
        error = path.string() + ": " + pixels(file.width, file.height) + ", more than the " +
                std::to_string(kMaximumImageSide) + " pixels a side may have";
        return std::nullopt;
    }
    return file;
}

bool writeFileAtomically(const std::filesystem::path& target, const ios::UIImage::Data& bytes, std::string& error) {
    const std::filesystem::path temporary =
        target.parent_path() / ("." + target.filename().string() + ".part-" + std::to_string(getpid()));
    const std::string partial = temporary.string();
    if (partial.size() < sizeof g_partial) std::memcpy(g_partial, partial.c_str(), partial.size() + 1);
    struct Done {
        ~Done() { g_partial[0] = '\0'; }
    } done;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot write " + target.string() + ": " + std::strerror(errno);
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + target.string() + ": " + std::strerror(errno);
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        error = "cannot write " + target.string() + ": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

void installStopHandlers() {
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;  // the work in hand goes on undisturbed
        sigaction(s, &action, nullptr);
    }
}

int stopSignal() { return g_stopSignal; }

void endIfStopped() {
    if (const int s = g_stopSignal) {
        std::fflush(nullptr);
        signal(s, SIG_DFL);
        raise(s);
    }
}

ImageFileAhead::ImageFileAhead(std::filesystem::path path, std::optional<std::pair<int, int>> drawnAt)
    : m_path(std::move(path)) {
    auto work = [this, drawnAt] {
        m_file = readImageFile(m_path, m_error);
        if (m_file) m_decoded = ios::ImageDecoder::decode(m_file->bytes.data(), m_file->bytes.size());
        if (m_decoded.surface && drawnAt)
            ios::UIImage::prepareReduction(m_decoded.surface, drawnAt->first, drawnAt->second);
    };
    try {
        m_thread = std::thread(work);
    } catch (const std::system_error&) {
        work();  // no thread to be had: read it now
    }
}

ImageFileAhead::~ImageFileAhead() {
    if (m_thread.joinable()) m_thread.join();
    if (m_decoded.surface) cairo_surface_destroy(m_decoded.surface);
}

std::optional<ImageFile> ImageFileAhead::take(ios::UIImageRef& image, std::string& error) {
    if (m_thread.joinable()) m_thread.join();
    if (!m_file) {
        error = m_error.empty() ? m_path.string() + ": already taken" : m_error;
        return std::nullopt;
    }
    image = ios::UIImage::imageWithDecoding(std::exchange(m_decoded, {}));
    return std::exchange(m_file, std::nullopt);
}

std::filesystem::path addToPhotoLibrary(const ImageFile& file, std::optional<ios::UIImageRef> decoded,
                                        const std::string& what, std::string& error) {
    auto& library = ios::UIPhotoLibrary::shared();
    auto image = decoded ? *decoded : ios::UIImage::imageWithData(file.bytes);
    if (!image) {
        error = what + ": the image cannot be decoded";
        return {};
    }
    // A PNG goes in as it is, under the library's next free name, with the image it decodes to;
    // anything else is saved as the PNG of its image.
    auto added = file.png ? library.addPNGData(file.bytes, error, image) : library.saveImage(image, error);
    if (added.empty()) error = what + ": " + error;
    return added;
}

}  // namespace flint::sim
