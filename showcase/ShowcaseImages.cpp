#include "showcase/ShowcaseImages.h"

#include <vector>

#include "controls/FlintColorSlider.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/Process.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/NSError.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIViewController.h"

namespace flint {

namespace {

// Receives the photo library's answer to one save and reports it in an alert over the editor.
// Saves in flight are kept by the process until their answer arrives.
class ShowcaseSaveReport : public objc::Object {
    OBJC_CLASS_DECLARE(ShowcaseSaveReport)
public:
    void init(const objc::id& host) { m_host = host; }
    void finished(bool saved);

protected:
    ShowcaseSaveReport() = default;

private:
    objc::WeakRef<objc::Object> m_host;
};

struct SavesInFlight {
    std::vector<objc::Ref<ShowcaseSaveReport>> reports;
};

void presentAlert(FlintHost& host, const char* message) {
    auto controller = host.showcaseController();
    if (!controller) return;
    auto alert = ios::UIAlertController::alertControllerWithTitle(kShowcaseAlertTitle, message,
                                                                  ios::UIAlertControllerStyle::Alert);
    alert->addAction(ios::UIAlertAction::actionWithTitle(kShowcaseAlertAction, ios::UIAlertActionStyle::Default,
                                                         [](ios::UIAlertAction&) {}));
    controller->presentViewController(alert, true);
}

void ShowcaseSaveReport::finished(bool saved) {
    auto keep = objc::cast<ShowcaseSaveReport>(shared_from_this());
    auto& pending = ios::Process::shared().attached<SavesInFlight>().reports;
    std::erase(pending, keep);
    if (auto bar = m_host.lock()) {
        FlintHost host(*bar);
        presentAlert(host, saved ? kShowcaseSavedMessage : kShowcaseSaveFailedMessage);
    }
}

}  // namespace

OBJC_CLASS_DEFINE_WITH(ShowcaseSaveReport, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("image:didFinishSavingWithError:contextInfo:", "v@:@@^v",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            const bool saved = args.size() < 2 || !args[1];
                            static_cast<ShowcaseSaveReport&>(self).finished(saved);
                            return nullptr;
                        });
})

namespace {

void presentPicker(FlintHost& host, HostProperty property) {
    auto controller = host.showcaseController();
    if (!controller) return;
    auto picker = objc::make<ios::UIImagePickerController>();
    host.set(property, picker);
    picker->setDelegate(host.self());
    picker->setAllowsEditing(false);
    picker->setSourceType(ios::UIImagePickerControllerSourceType::PhotoLibrary);
    picker->setNavigationBarBarTintColor(ios::UIColor::orangeColor());
    picker->setNavigationBarTintColor(ios::UIColor::whiteColor());
    controller->presentViewController(picker, true);
}

void pickScreenshotImage(FlintHost& host) { presentPicker(host, HostProperty::screenshotImagePickerController); }
void pickBackgroundImage(FlintHost& host) { presentPicker(host, HostProperty::backgroundImagePickerController); }

void dismissPresented(FlintHost& host) {
    if (auto controller = host.showcaseController()) controller->dismissViewControllerAnimated(true);
}

// A result without an image changes nothing: the images already chosen stay.
void didFinishPicking(FlintHost& host, const objc::id& picker, const objc::id& info) {
    auto details = objc::cast<ios::UIImagePickerInfo>(info);
    auto image =
        details ? objc::cast<ios::UIImage>(details->objectForKey(ios::UIImagePickerControllerOriginalImage)) : nullptr;
    if (image && picker && picker == host.get(HostProperty::screenshotImagePickerController)) {
        if (auto view = host.showcaseScreenshotImage()) view->setImage(image);
        if (auto view = host.showcaseScreenshotPreviewImage()) view->setImage(image);
    }
    if (image && picker && picker == host.get(HostProperty::backgroundImagePickerController)) {
        if (auto view = host.showcaseBackgroundImage()) view->setImage(image);
    }
    dismissPresented(host);
}

void didCancel(FlintHost& host, const objc::id&) { dismissPresented(host); }

void backgroundColorSlider(FlintHost& host, const objc::id& sender) {
    auto slider = objc::cast<FlintColorSlider>(sender);
    if (!slider) slider = host.backgroundColorSlider();
    if (auto canvas = host.showcaseCanvasView(); canvas && slider) canvas->setBackgroundColor(slider->color());
}

void resetBackgroundImage(FlintHost& host) {
    if (auto view = host.showcaseBackgroundImage()) view->setImage(nullptr);
}

void resetBackgroundColor(FlintHost& host) {
    if (auto canvas = host.showcaseCanvasView()) canvas->setBackgroundColor(ios::UIColor::clearColor());
}

}  // namespace

ios::UIImageRef renderShowcaseCanvas(FlintHost& host) {
    auto canvas = host.showcaseCanvasView();
    if (!canvas) return nullptr;
    ios::UIGraphicsBeginImageContextWithOptions(canvas->frame().size, false, 1.0);
    if (auto context = ios::UIGraphicsGetCurrentContext()) canvas->layer()->renderInContext(*context);
    auto image = ios::UIGraphicsGetImageFromCurrentImageContext();
    ios::UIGraphicsEndImageContext();
    return image;
}

// The alert waits for the photo library's answer, so a refused save is reported as one.
void saveShowcaseImage(FlintHost& host) {
    auto image = renderShowcaseCanvas(host);
    if (!image) return;
    auto report = objc::make<ShowcaseSaveReport>(host.self());
    ios::Process::shared().attached<SavesInFlight>().reports.push_back(report);
    ios::UIImageWriteToSavedPhotosAlbum(image, report, objc::sel("image:didFinishSavingWithError:contextInfo:"));
}

void shareShowcaseImage(FlintHost& host) {
    auto controller = host.showcaseController();
    auto image = renderShowcaseCanvas(host);
    if (!controller || !image) return;
    auto sheet = objc::make<ios::UIActivityViewController>(std::vector<objc::id>{image});
    sheet->setModalPresentationStyle(ios::UIModalPresentationStyle::Popover);
    controller->presentViewController(sheet, true);
}

const ActionTable showcaseImageActions FLINT_ACTION_TABLE = {
    {"pickScreenshotImage", pickScreenshotImage},
    {"pickBackgroundImage", pickBackgroundImage},
    {"imagePickerController:didFinishPickingMediaWithInfo:", didFinishPicking},
    {"imagePickerControllerDidCancel:", didCancel},
    {"backgroundColorSlider:", backgroundColorSlider},
    {"resetBackgroundImage", resetBackgroundImage},
    {"resetBackgroundColor", resetBackgroundColor},
    {"saveShowcaseImage", saveShowcaseImage},
    {"shareShowcaseImage", shareShowcaseImage},
};

}  // namespace flint
