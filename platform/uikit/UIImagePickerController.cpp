#include "platform/uikit/UIImagePickerController.h"

#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"

namespace ios {

OBJC_CLASS_DEFINE(UIImagePickerInfo, objc::Object)
OBJC_CLASS_DEFINE_WITH(UIImagePickerController, UIViewController, [](objc::Class& cls) {
    cls.addNativeMethod("_pickThumbnail:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
        if (auto button = args.empty() ? nullptr : objc::cast<UIButton>(args[0]))
            static_cast<UIImagePickerController&>(self).pickImageAtIndex(static_cast<std::size_t>(button->tag()));
        return nullptr;
    });
    cls.addNativeMethod("_cancelPicking:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
        static_cast<UIImagePickerController&>(self).cancel();
        return nullptr;
    });
})

namespace {
constexpr double kPickerBarHeight = 88;
constexpr int kPickerColumns = 4;
}  // namespace

objc::id UIImagePickerInfo::objectForKey(const std::string& key) const {
    auto it = m_objects.find(key);
    return it == m_objects.end() ? nullptr : it->second;
}

std::size_t UIImagePickerController::photoCount() const { return UIPhotoLibrary::shared().photoCount(); }

bool UIImagePickerController::pickImageAtIndex(std::size_t index) {
    auto paths = UIPhotoLibrary::shared().photoPaths();
    if (index >= paths.size()) {
        Process::shared().log().write("Image picker: no photo at index " + std::to_string(index));
        return false;
    }
    return pickImageAtPath(paths[index]);
}

bool UIImagePickerController::pickImageAtPath(const std::filesystem::path& hostPath) {
    auto image = UIImage::imageWithContentsOfHostFile(hostPath, 1);
    if (!image) {
        Process::shared().log().write("Image picker: cannot read " + hostPath.string());
        return false;
    }
    deliverPick(image, hostPath);
    return true;
}

void UIImagePickerController::deliverPick(const objc::Ref<UIImage>& image, const std::filesystem::path& path) {
    auto keep = shared_from_this();
    auto info = objc::make<UIImagePickerInfo>();
    info->setObject(UIImagePickerControllerOriginalImage, image);
    info->setObject(UIImagePickerControllerImageURL, NSValueBox::box(Value("file://" + path.string())));
    static const objc::SEL picked = objc::sel("imagePickerController:didFinishPickingMediaWithInfo:");
    objc::id d = m_delegate.lock();
    if (d && objc::respondsToSelector(d.get(), picked)) objc::msgSend(d, picked, shared_from_this(), info);
    else if (presentingViewController()) dismissViewControllerAnimated(true);
}

void UIImagePickerController::cancel() {
    auto keep = shared_from_this();
    static const objc::SEL cancelled = objc::sel("imagePickerControllerDidCancel:");
    objc::id d = m_delegate.lock();
    if (d && objc::respondsToSelector(d.get(), cancelled)) objc::msgSend(d, cancelled, shared_from_this());
    else if (presentingViewController()) dismissViewControllerAnimated(true);
}

void UIImagePickerController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto root = objc::make<UIView>(screen);
    root->setBackgroundColor(UIColor::whiteColor());
    auto bar = objc::make<UIView>(CGRectMake(0, 0, screen.size.width, kPickerBarHeight));
    bar->setBackgroundColor(m_barBarTint ? m_barBarTint : UIColor::colorWithWhite(0.97, 1));
    root->addSubview(bar);
    auto cancelButton = UIButton::buttonWithType(UIButtonType::System);
    cancelButton->setTitle(std::string("Cancel"), UIControlStateNormal);
    if (m_barTint) cancelButton->setTitleColor(m_barTint, UIControlStateNormal);
    cancelButton->setTitleFont(UIFont::systemFontOfSize(17));
    cancelButton->setFrame(CGRectMake(screen.size.width - 80, kPickerBarHeight - 44, 72, 44));
    cancelButton->addTarget(shared_from_this(), objc::sel("_cancelPicking:"), UIControlEventTouchUpInside);
    bar->addSubview(cancelButton);

    // The library as a grid of thumbnails, newest last.
    double side = std::floor(screen.size.width / kPickerColumns);
    auto paths = UIPhotoLibrary::shared().photoPaths();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        auto thumb = UIButton::buttonWithType(UIButtonType::Custom);
        thumb->setFrame(CGRectMake(side * static_cast<double>(i % kPickerColumns),
                                   kPickerBarHeight + 2 + side * static_cast<double>(i / kPickerColumns), side - 2, side - 2));
        thumb->setBackgroundImage(UIImage::imageWithContentsOfHostFile(paths[i], 1), UIControlStateNormal);
        thumb->setTag(static_cast<int>(i));
        thumb->addTarget(shared_from_this(), objc::sel("_pickThumbnail:"), UIControlEventTouchUpInside);
        root->addSubview(thumb);
    }
    setView(root);
}

}  // namespace ios
