#include "platform/uikit/UIPhotoLibrary.h"

#include <algorithm>
#include <cstdio>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
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

UIPhotoLibrary& UIPhotoLibrary::shared() { return Process::shared().attached<UIPhotoLibrary>(); }

std::filesystem::path UIPhotoLibrary::folder() const { return devicePath(kPhotoLibraryFolder); }

std::vector<std::filesystem::path> UIPhotoLibrary::photoPaths() const {
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder(), ec)) return paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), ec)) {
        auto ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (entry.is_regular_file() && (ext == ".png" || ext == ".jpg" || ext == ".jpeg")) paths.push_back(entry.path());
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
    std::error_code ec;
    std::filesystem::create_directories(folder(), ec);
    if (!std::filesystem::is_directory(folder(), ec)) {
        error = "The photo library is unavailable";
        return {};
    }
    int next = 1;
    for (const auto& p : photoPaths()) {
        int n = 0;
        if (std::sscanf(p.filename().string().c_str(), "IMG_%d", &n) == 1) next = std::max(next, n + 1);
    }
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.PNG", next);
    auto path = folder() / name;
    if (!image->writePNG(path)) {
        error = "The photo could not be written";
        return {};
    }
    return path;
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
        objc::msgSendv(target.get(), completionSelector, std::span<const objc::id>(all, static_cast<std::size_t>(count)));
    });
}

}  // namespace ios
