#include "sim/batch/MockupStudio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <malloc.h>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SideThreads.h"
#include "platform/graphics/CGContext.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIWindow.h"
#include "sim/device/Device.h"
#include "sim/scenario/ShowcaseCommands.h"
#include "startup/ScreenSupport.h"
#include "sim/batch/PhotoImport.h"

namespace flint::sim {

namespace {

// Where a caption goes when the job names no point: near the canvas's top left.
constexpr double kDefaultCaptionX = 20, kDefaultCaptionY = 20;
// How far from the canvas's edges the tap that ends typing lands.
constexpr double kEndTypingInset = 12;
// Allocations up to this size come from the process's own heap (an 8192 × 2048 bitmap).
constexpr int kKeptAllocation = 64 << 20;

template <class T>
objc::Ref<T> property(const std::string& name) {
    return objc::cast<T>(hostProperty(name));
}

void act(const std::string& action) {
    if (auto bar = ios::HomeScreen::shared().statusBar()) objc::msgSend(bar, objc::sel(action));
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

const ios::UIView* viewHoldingText(const ios::UIView& view, const std::string& text) {
    if (auto* field = dynamic_cast<const ios::UITextField*>(&view); field && field->text() == text) return &view;
    for (const auto& child : view.subviews())
        if (auto* found = viewHoldingText(*child, text)) return found;
    return nullptr;
}

// Moves a hue slider to the colour's hue and sends its value-changed action, as a finger that
// stops there would; notes when the slider's colour is not the one asked for.
bool chooseHue(const std::string& property, const ios::RGBA& colour, const std::string& text, const std::string& what,
               std::string& notes, std::string& error) {
    auto slider = objc::cast<ios::UISlider>(hostProperty(property));
    if (!slider) {
        error = "the editor has no " + what + " slider";
        return false;
    }
    double hue = 0, saturation = 0, brightness = 0, alpha = 0;
    ios::UIColor::colorWithRed(colour.r, colour.g, colour.b, 1)->getHue(&hue, &saturation, &brightness, &alpha);
    slider->setValue(static_cast<float>(hue));
    slider->sendActionsForControlEvents(ios::UIControlEventValueChanged);
    auto chosen = ios::UIColor::colorWithHue(slider->value(), 1, 1, 1);
    const std::string got = hexColour({chosen->red(), chosen->green(), chosen->blue(), 1});
    if (got != hexColour(colour))
        notes +=
            (notes.empty() ? "" : "; ") + what + " " + text + " is not on the hue slider, its nearest hue gives " + got;
    return true;
}

// The device pixels the screenshot covers in the export when it stands upright: its screen's
// size in points (the screenshot fills it), at the job's scale and resolution. None when the job
// turns it.
std::optional<std::pair<int, int>> screenshotPixels(const MockupJob& job) {
    const auto profile = ios::deviceProfileNamed(job.profile);
    if (!profile || !job.mockupTemplate) return std::nullopt;
    if (job.rotate && std::any_of(job.rotate->begin(), job.rotate->end(), [](double r) { return r != 0; }))
        return std::nullopt;
    const double resolution = job.resolution.value_or(profile->scale);
    const ios::CGSize screen = showcase::geometryOf(job.mockupTemplate->family).screen;
    const double sx = job.scale ? std::fabs((*job.scale)[0]) : 1, sy = job.scale ? std::fabs((*job.scale)[1]) : 1;
    return std::pair{static_cast<int>(std::lround(screen.width * sx * resolution)),
                     static_cast<int>(std::lround(screen.height * sy * resolution))};
}

}  // namespace

MockupStudio::MockupStudio(std::string profile) : m_profile(std::move(profile)) {
    // A studio makes the same large bitmaps job after job (decoded screenshots, reduced copies,
    // the export): they are allocated from memory the process keeps rather than mapped afresh,
    // and freed ones stay for the next job instead of going back to the system to be faulted in
    // page by page again.
    mallopt(M_MMAP_THRESHOLD, kKeptAllocation);
    mallopt(M_TRIM_THRESHOLD, 4 * kKeptAllocation);
}

MockupStudio::~MockupStudio() = default;

void MockupStudio::readAhead(const MockupJob& job) {
    // A process keeping to one core (a batch worker) reads it when the editor picks it.
    if (!job.problem.empty() || job.screenshot.empty() || (m_ahead && m_ahead->path() == job.screenshot) ||
        !ios::sideThreadsAllowed())
        return;
    m_ahead = std::make_unique<ImageFileAhead>(job.screenshot, screenshotPixels(job));
    if (!m_device) m_firstTemplate = job.mockupTemplate;
}

void MockupStudio::decodeTemplateAhead(const MockupTemplate& mockup) {
    // The bundle images the editor decodes on opening with this template: its first bezel, the
    // template's own, and the mask of the template's family.
    const showcase::BezelStyle* style = showcase::bezelStyleForKey(mockup.key);
    if (!style) return;
    const std::string bundle = screens::kBundleFolder;
    ios::UIImage::decodeContentsOfFilesAhead({bundle + showcase::kDefaultFrameImage, bundle + style->frameImage,
                                              bundle + showcase::maskImageOf(style->family)});
}

void MockupStudio::pass(double seconds) { m_device->process().runLoop().advanceBy(seconds); }

bool MockupStudio::boot(std::string& error) {
    BootOptions options;
    options.profile = m_profile;
    options.preferences = {{"enableAll", true}};
    try {
        m_device = std::make_unique<Device>(options);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    // The first job's bundle images are decoded on another core while the library loads and the
    // home screen and the editor come up; later jobs find them in the library's cache.
    if (m_firstTemplate) decodeTemplateAhead(*m_firstTemplate);
    if (!m_device->loadLibrary(error)) {
        error = "cannot load the library: " + error;
        return false;
    }
    m_device->bootHomeScreen();
    if (!ios::HomeScreen::shared().statusBar() ||
        !objc::respondsToSelector(ios::HomeScreen::shared().statusBar().get(), objc::sel("launchShowcaseEditor"))) {
        error = "the library did not add the composer's actions to the status bar";
        return false;
    }
    return true;
}

bool MockupStudio::openEditor(const MockupJob& job, std::string& error) {
    if (auto window = property<ios::UIWindow>("showcaseWindow"); window && !window->isHidden()) {
        act("dismissShowcaseEditor");
        pass(0.5);
    }
    // The gallery pill's action: the editor opens at the next turn of the run loop with the bezel
    // of the page's key, the gallery closes half a second later.
    act("beginShowcaseX" + std::to_string(job.mockupTemplate->page));
    pass(1.0);
    auto window = property<ios::UIWindow>("showcaseWindow");
    if (!window || window->isHidden() || !property<ios::UIView>("showcaseCanvasView")) {
        error = "the template's \"Customize\" action did not open the editor";
        return false;
    }
    return true;
}

bool MockupStudio::pick(const std::filesystem::path& file, const char* action, const char* pickerProperty,
                        const std::string& what, std::string& error) {
    // The screenshot may be on its way already (readAhead).
    std::unique_ptr<ImageFileAhead> ahead;
    if (m_ahead && m_ahead->path() == file) ahead = std::move(m_ahead);
    std::optional<ios::UIImageRef> decoded;
    auto image = ahead ? ahead->take(decoded.emplace(), error) : readImageFile(file, error);
    if (!image) {
        error = what + " " + error;
        return false;
    }
    auto photo = addToPhotoLibrary(*image, decoded, what + " " + file.string(), error);
    if (photo.empty()) return false;
    m_added.push_back(photo);
    act(action);
    pass(0.5);
    auto picker = property<ios::UIImagePickerController>(pickerProperty);
    const std::size_t count = ios::UIPhotoLibrary::shared().photoCount();
    if (!picker || !picker->pickImageAtIndex(count - 1)) {
        error = "the photo picker did not offer the " + what;
        return false;
    }
    pass(0.5);
    return true;
}

bool MockupStudio::applyTransform(const MockupJob& job, std::string& error) {
    struct Setting {
        const char* option;
        const char* axis;
        std::string slider;
        double value;
    };
    static const char* const axes[3] = {"X", "Y", "Z"};
    std::vector<Setting> settings;
    for (int i = 0; i < 3 && job.rotate; ++i)
        settings.push_back({"rotate", axes[i], std::string("rotate") + axes[i] + "Slider", (*job.rotate)[i]});
    for (int i = 0; i < 2 && job.translate; ++i)
        settings.push_back(
            {"translate", axes[i], std::string("translation") + axes[i] + "Slider", (*job.translate)[i]});
    for (int i = 0; i < 2 && job.scale; ++i)
        settings.push_back({"scale", axes[i], std::string("scale") + axes[i] + "Slider", (*job.scale)[i]});
    // Every value is checked against its slider before any moves: the sliders' ranges are the
    // limits, and a value beyond them is refused rather than clamped.
    for (const auto& s : settings) {
        auto slider = property<ios::UISlider>(s.slider);
        if (!slider) {
            error = "the editor has no " + s.slider;
            return false;
        }
        if (s.value < slider->minimumValue() || s.value > slider->maximumValue()) {
            error = std::string(s.option) + " " + s.axis + " " + number(s.value) + " is outside the slider's range " +
                    number(slider->minimumValue()) + " to " + number(slider->maximumValue());
            return false;
        }
    }
    for (const auto& s : settings) {
        auto slider = property<ios::UISlider>(s.slider);
        slider->setValue(static_cast<float>(s.value));
        slider->sendActionsForControlEvents(ios::UIControlEventValueChanged);
    }
    return true;
}

bool MockupStudio::typeCaption(const MockupJob& job, std::string& notes, std::string& error) {
    if (job.captionColor &&
        !chooseHue("drawingColorSlider", *job.captionColor, job.captionColorText, "caption colour", notes, error))
        return false;
    act("drawingTextAction");
    auto drawing = property<ios::UIView>("drawingView");
    if (!drawing) {
        error = "the editor has no drawing canvas";
        return false;
    }
    const ios::CGPoint at = job.captionAt ? ios::CGPointMake((*job.captionAt)[0], (*job.captionAt)[1])
                                          : ios::CGPointMake(kDefaultCaptionX, kDefaultCaptionY);
    const ios::CGSize size = drawing->bounds().size;
    const ios::CGPoint screen = ios::convertPointToScreen(*drawing, at);
    if (at.x < 0 || at.y < 0 || at.x >= size.width || at.y >= size.height || !reachableAt(*drawing, screen)) {
        error = "captionAt " + number(at.x) + "," + number(at.y) + " is not a point of the open canvas (" +
                number(size.width) + " × " + number(size.height) + " points, its foot under the tool card)";
        return false;
    }
    ios::tap(screen);
    pass(0.1);
    if (!ios::typeText(*job.caption)) {
        error = "a tap on the canvas with the text tool gave nothing to type into";
        return false;
    }
    // A second tap on the canvas, away from the box, ends the typing and hides its handles.
    const ios::UIView* box = viewHoldingText(*drawing, *job.caption);
    ios::CGRect frame = ios::CGRectZero;
    if (box) {
        const ios::CGPoint topLeft = ios::convertPointToScreen(*box, ios::CGPointMake(0, 0));
        const ios::CGPoint bottomRight =
            ios::convertPointToScreen(*box, ios::CGPointMake(box->bounds().size.width, box->bounds().size.height));
        frame = ios::CGRectMake(topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y);
    }
    bool ended = false;
    for (const auto& corner : {ios::CGPointMake(size.width - kEndTypingInset, kEndTypingInset),
                               ios::CGPointMake(kEndTypingInset, kEndTypingInset),
                               ios::CGPointMake(size.width - kEndTypingInset, size.height / 2),
                               ios::CGPointMake(kEndTypingInset, size.height / 2)}) {
        const ios::CGPoint point = ios::convertPointToScreen(*drawing, corner);
        if (ios::CGRectContainsPoint(ios::CGRectInset(frame, -kEndTypingInset, -kEndTypingInset), point)) continue;
        if (!reachableAt(*drawing, point)) continue;
        const ios::UIView* hit = ios::viewAtScreenPoint(point);
        if (box && hit && hit->isDescendantOfView(box)) continue;
        ios::tap(point);
        ended = true;
        break;
    }
    pass(0.3);
    if (!ended || !viewHoldingText(*drawing, *job.caption)) {
        error = "the caption did not reach the canvas";
        return false;
    }
    return true;
}

ios::UIImageRef MockupStudio::compose(const MockupJob& job, std::string& notes, std::string& error) {
    // The job's photos leave the library again, and a screenshot read ahead but never picked
    // is not kept for a later job.
    struct Cleanup {
        std::vector<std::filesystem::path>& added;
        std::unique_ptr<ImageFileAhead>& ahead;
        ~Cleanup() {
            std::error_code ec;
            for (const auto& p : added) std::filesystem::remove(p, ec);
            added.clear();
            ahead.reset();
        }
    } cleanup{m_added, m_ahead};
    if (!m_device) {
        error = "the device is not booted";
        return nullptr;
    }
    if (job.profile != m_profile) {
        error = "this device is an " + m_profile + ", the job asks for an " + job.profile;
        return nullptr;
    }
    if (!job.problem.empty()) {
        error = job.problem;
        return nullptr;
    }
    // The screenshot is read and decoded on another core while the editor opens.
    readAhead(job);
    if (!openEditor(job, error)) return nullptr;
    if (!pick(job.screenshot, "pickScreenshotImage", "screenshotImagePickerController", "screenshot", error))
        return nullptr;
    auto screen = property<ios::UIImageView>("showcaseScreenshotImage");
    if (!screen || !screen->image()) {
        error = "screenshot " + job.screenshot.string() + ": the image cannot be decoded";
        return nullptr;
    }
    if (!job.background.empty()) {
        if (!pick(job.background, "pickBackgroundImage", "backgroundImagePickerController", "background", error))
            return nullptr;
        auto background = property<ios::UIImageView>("showcaseBackgroundImage");
        if (!background || !background->image()) {
            error = "background " + job.background.string() + ": the image cannot be decoded";
            return nullptr;
        }
    }
    if (job.backgroundColor && !chooseHue("backgroundColorSlider", *job.backgroundColor, job.backgroundColorText,
                                          "background colour", notes, error))
        return nullptr;
    if (!applyTransform(job, error)) return nullptr;
    if (job.caption && !job.caption->empty() && !typeCaption(job, notes, error)) return nullptr;

    // The export as the editor's save renders it: the canvas layer into a bitmap of the canvas's
    // size in points, not opaque, here at the asked pixels per point (drawn straight into the
    // image's own pixels rather than copied out of a context).
    auto canvas = property<ios::UIView>("showcaseCanvasView");
    const double scale = job.resolution.value_or(ios::Process::shared().profile().scale);
    auto image = ios::UIImage::imageWithSize(
        canvas->frame().size, scale, [&](ios::CGContext& context) { canvas->layer()->renderInContext(context); },
        false);
    if (!image) error = "the canvas could not be rendered";
    return image;
}

bool MockupStudio::make(const MockupJob& job, std::string& notes, std::string& error) {
    auto image = compose(job, notes, error);
    if (!image) return false;
    auto bytes = ios::UIImagePNGRepresentation(image);
    if (bytes.empty()) {
        error = "the mock-up could not be encoded";
        return false;
    }
    std::error_code ec;
    if (job.output.has_parent_path()) std::filesystem::create_directories(job.output.parent_path(), ec);
    return writeFileAtomically(job.output, bytes, error);
}

}  // namespace flint::sim
