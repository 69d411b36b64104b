#pragma once
// The live view's input messages (JSON text from the page) and upload headers: decoded and
// validated before anything reaches the device. Anything malformed, unknown or out of bounds
// gives an error text and no message.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace flint::live {

inline constexpr std::size_t kMaxInputMessageBytes = 64 * 1024;
inline constexpr std::size_t kMaxUploadBytes = 32 * 1024 * 1024;
inline constexpr int kMaxImageSide = 8192;
inline constexpr int kMaxFingers = 10;

enum class TouchPhase { Began, Moved, Ended, Cancelled };

struct TouchMessage {
    TouchPhase phase;
    double x;  // screen points
    double y;
    int finger;
};

struct KeyMessage {
    enum class Kind { Text, Backspace, Enter } kind;
    std::string text;  // Text only: printable UTF-8
};

struct AppearanceMessage {
    int style;  // UIUserInterfaceStyle: 0 unspecified, 1 light, 2 dark
};

struct PreferenceMessage {
    bool colors = false;  // the colour file, else the preference domain
    std::string key;
    enum class Kind { Bool, Integer, Real, Text, Unset } kind;
    bool boolValue = false;
    std::int64_t integerValue = 0;
    double realValue = 0;
    std::string textValue;
};

// The phone's hardware buttons: home closes the foreground application, lock toggles the lock.
struct ButtonMessage {
    enum class Kind { Home, Lock } kind;
};

struct ProfileMessage {
    std::string name;
};

using InputMessage =
    std::variant<TouchMessage, KeyMessage, AppearanceMessage, PreferenceMessage, ProfileMessage, ButtonMessage>;

struct DecodeResult {
    std::optional<InputMessage> message;
    std::string error;  // set when message is none
};

// One text message from the page.
DecodeResult decodeInputMessage(std::string_view text);

struct UploadHeader {
    enum class Format { PNG, JPEG } format;
    std::size_t length;
};

struct UploadHeaderResult {
    std::optional<UploadHeader> header;
    std::string error;
};

// The Content-Type and Content-Length of a photo upload (length none when absent).
UploadHeaderResult decodeUploadHeader(std::string_view contentType, std::optional<std::uint64_t> contentLength);

struct ImageSize {
    int width;
    int height;
};

// Reads the pixel size from PNG or JPEG bytes without decoding them; none when the bytes are
// neither or their header is cut short.
std::optional<ImageSize> encodedImageSize(const std::uint8_t* bytes, std::size_t size);

}  // namespace flint::live
