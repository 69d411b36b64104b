#pragma once
// The device's photo library: PNG files in "/var/mobile/Media/DCIM/100APPLE/" under the device
// root, named IMG_0001.PNG, IMG_0002.PNG, … in order of saving. Listing is by name, so the
// newest photo is last. A file that is not a whole PNG or JPEG is left out of the listing (with
// one log line). Saving claims the next free name with an exclusive create and writes the photo
// whole (a temporary file renamed over the claim), so processes saving at once never overwrite
// each other and a crash never leaves half a photo.
//
// Beside the photos the library keeps their thumbnails, as the platform does: each photo's centre
// square, `side` pixels on a side, a PNG in "/var/mobile/Media/PhotoData/Thumbnails/<side>/" named
// after the photo's name, size and modification time. Saving an image makes its thumbnail from
// the pixels in hand; any other photo gets its thumbnail the first time one is asked for (decoded
// at reduced size, then kept). A photo written again gets a new thumbnail; a stored thumbnail
// that does not decode is made again.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/UIImage.h"
#include "platform/objc/Runtime.h"

namespace ios {

inline constexpr const char* kPhotoLibraryFolder = "/var/mobile/Media/DCIM/100APPLE";

class UIPhotoLibrary {
public:
    // The current process's library.
    static UIPhotoLibrary& shared();

    std::filesystem::path folder() const;
    std::vector<std::filesystem::path> photoPaths() const;
    std::size_t photoCount() const { return photoPaths().size(); }
    objc::Ref<UIImage> imageAtIndex(std::size_t index) const;

    // Whether the user lets this process add photos; a refused library saves nothing.
    bool isWriteAuthorized() const { return m_writeAuthorized; }
    void setWriteAuthorized(bool authorized) { m_writeAuthorized = authorized; }
    // Writes the image as the next PNG; the written path, or empty with `error` set.
    std::filesystem::path saveImage(const objc::Ref<UIImage>& image, std::string& error);
    // Adds PNG bytes as they are, as the next photo (checked to be a whole PNG first). `decoded`,
    // when given, is what the bytes decode to: it makes the thumbnail and is the photo's image
    // (imageOfPhoto) until another photo is added.
    std::filesystem::path addPNGData(const UIImage::Data& png, std::string& error,
                                     const objc::Ref<UIImage>& decoded = nullptr);
    // The photo's full image at scale 1: the image of the photo added last when the file is still
    // what was added, else decoded from the file. Null when the file does not decode.
    objc::Ref<UIImage> imageOfPhoto(const std::filesystem::path& photo);

    static constexpr const char* kThumbnailFolder = "/var/mobile/Media/PhotoData/Thumbnails";
    // The photo's thumbnail (scale 1), from the store when it is there and current; null when the
    // photo cannot be decoded.
    objc::Ref<UIImage> thumbnailOfPhoto(const std::filesystem::path& photo, int side);
    // Thumbnails this process made by decoding a photo (rather than reading the store or
    // reducing an image being saved).
    std::size_t thumbnailsDecodedFromPhotos() const { return m_thumbnailsDecoded; }

private:
    struct FileCheck {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        bool whole = false;
    };
    // A file's size and modification time: what tells one version of a photo from the next.
    struct Stamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> stampOf(const std::filesystem::path& path);

    std::filesystem::path writeNext(const UIImage::Data& png, std::string& error);
    // The photo just written, whose pixels are `image`: its thumbnail is made from them, and
    // when the file keeps them exactly (`exact`) the image is the photo's until it changes.
    void added(const std::filesystem::path& path, const objc::Ref<UIImage>& image, bool exact);
    std::filesystem::path thumbnailPath(const std::filesystem::path& photo, int side) const;
    void storeThumbnail(const std::filesystem::path& stored, const objc::Ref<UIImage>& thumbnail);

    bool m_writeAuthorized = true;
    std::size_t m_thumbnailsDecoded = 0;
    bool m_storeFailureLogged = false;
    // The photo added last and its image; one full image at most is kept.
    struct Recent {
        std::filesystem::path path;
        Stamp stamp;
        objc::Ref<UIImage> image;
    } m_recent;
    // What the listing found of each file, so that each file is checked and logged once per change.
    mutable std::map<std::filesystem::path, FileCheck> m_checked;
};

// Saves to the library, then sends image:didFinishSavingWithError:contextInfo: (or whatever the
// selector is, with as many of image, error and context as it takes) to the target at the next
// turn of the run loop. The error is none on success, an NSError otherwise.
void UIImageWriteToSavedPhotosAlbum(const objc::Ref<UIImage>& image, const objc::id& completionTarget,
                                    objc::SEL completionSelector, const objc::id& contextInfo = nullptr);

}  // namespace ios
