#pragma once
// The image picker over the device's photo library. It shows the library's photos as a grid of
// thumbnails (a tap on one picks it); pickImageAtIndex / pickImageAtPath / cancel are the same
// choices made directly. Picking sends imagePickerController:didFinishPickingMediaWithInfo: with
// the image under "UIImagePickerControllerOriginalImage"; cancelling sends
// imagePickerControllerDidCancel:. Each goes to the delegate (held weakly) only when it
// implements the selector; a picker whose delegate does not dismisses itself.

#include <filesystem>
#include <map>
#include <string>

#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIViewController.h"

namespace ios {

inline const std::string UIImagePickerControllerOriginalImage = "UIImagePickerControllerOriginalImage";
inline const std::string UIImagePickerControllerImageURL = "UIImagePickerControllerImageURL";

enum class UIImagePickerControllerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

// The info dictionary of a pick: objects by key.
class UIImagePickerInfo : public objc::Object {
    OBJC_CLASS_DECLARE(UIImagePickerInfo)
public:
    objc::id objectForKey(const std::string& key) const;
    void setObject(const std::string& key, objc::id object) { m_objects[key] = std::move(object); }
    const std::map<std::string, objc::id>& objects() const { return m_objects; }

protected:
    UIImagePickerInfo() = default;

private:
    std::map<std::string, objc::id> m_objects;
};

class UIImagePickerController : public UIViewController {
    OBJC_CLASS_DECLARE(UIImagePickerController)
public:
    objc::id delegate() const { return m_delegate.lock(); }
    void setDelegate(const objc::id& delegate) { m_delegate = delegate; }
    bool allowsEditing() const { return m_allowsEditing; }
    void setAllowsEditing(bool allows) { m_allowsEditing = allows; }
    UIImagePickerControllerSourceType sourceType() const { return m_sourceType; }
    void setSourceType(UIImagePickerControllerSourceType type) { m_sourceType = type; }
    static bool isSourceTypeAvailable(UIImagePickerControllerSourceType type) {
        return type != UIImagePickerControllerSourceType::Camera;
    }

    // The navigation bar's tints.
    UIColorRef navigationBarTintColor() const { return m_barTint; }
    void setNavigationBarTintColor(UIColorRef color) { m_barTint = std::move(color); }
    UIColorRef navigationBarBarTintColor() const { return m_barBarTint; }
    void setNavigationBarBarTintColor(UIColorRef color) { m_barBarTint = std::move(color); }
    UIColorRef navigationBarTitleColor() const { return m_titleColor; }
    void setNavigationBarTitleColor(UIColorRef color) { m_titleColor = std::move(color); }

    std::size_t photoCount() const;
    // False (with a log line) when there is no such photo.
    bool pickImageAtIndex(std::size_t index);
    bool pickImageAtPath(const std::filesystem::path& hostPath);
    void cancel();

    void loadView() override;

protected:
    UIImagePickerController() = default;

private:
    void deliverPick(const objc::Ref<UIImage>& image, const std::filesystem::path& path);

    objc::WeakRef<objc::Object> m_delegate;
    bool m_allowsEditing = false;
    UIImagePickerControllerSourceType m_sourceType = UIImagePickerControllerSourceType::PhotoLibrary;
    UIColorRef m_barTint, m_barBarTint, m_titleColor;
};

}  // namespace ios
