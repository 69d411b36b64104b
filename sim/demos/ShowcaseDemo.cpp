#include "sim/demos/ShowcaseDemo.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/quartz/CALayer.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/TouchInjection.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIHitTesting.h"
#include "platform/uikit/UIImagePickerController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIWindow.h"
#include "showcase/ShowcaseImages.h"
#include "sim/scenario/ShowcaseCommands.h"

namespace flint::sim {

namespace {

constexpr int kRoseGoldTemplate = 8;  // the gallery page of the rose-gold home-button bezel
constexpr double kHomeButtonBezelWidth = 284, kHomeButtonBezelHeight = 576;
constexpr double kHandleTapY = 20;  // inside the tool card's handle strip, above its pages
constexpr double kPageSwipeY = 5;   // a row of the tool pages with no control on it
constexpr float kBackgroundHue = 0.55f, kInkHue = 0.95f;
constexpr float kTiltY = 35, kTiltZ = -12;
constexpr const char* kCaption = "Made with Flint";

std::string hex(const ios::UIColor& colour) {
    char text[8];
    auto channel = [](double c) { return static_cast<int>(std::lround(c * 255)); };
    std::snprintf(text, sizeof text, "#%02X%02X%02X", channel(colour.red()), channel(colour.green()),
                  channel(colour.blue()));
    return text;
}

std::string size(const ios::UIImage& image) {
    return std::to_string(image.pixelWidth()) + " × " + std::to_string(image.pixelHeight());
}

bool holdsText(const ios::UIView& view, const std::string& text) {
    if (auto* field = dynamic_cast<const ios::UITextField*>(&view); field && field->text() == text) return true;
    for (const auto& child : view.subviews())
        if (holdsText(*child, text)) return true;
    return false;
}

// Walks the composer as a person would; every step checks what it caused and says so.
class ShowcaseTour {
public:
    explicit ShowcaseTour(std::ostream& out) : m_out(out), m_loop(ios::Process::shared().runLoop()) {}

    bool run(const std::filesystem::path& dir) {
        return openEditor() && addScreenshot() && colourBackground() && tiltBezel() && drawArrow() && writeCaption() &&
               save(dir);
    }

private:
    bool fail(const std::string& why) {
        m_out << "showcase demo: " << why << "\n";
        return false;
    }
    void pass(double seconds) { m_loop.advanceBy(seconds); }
    template <class T>
    objc::Ref<T> property(const std::string& name) {
        return objc::cast<T>(hostProperty(name));
    }

    // A tap at a point of the view's own, which the finger must be able to reach.
    bool tap(const ios::UIView& view, ios::CGPoint local, const std::string& what) {
        const ios::CGPoint point = ios::convertPointToScreen(view, local);
        if (!reachableAt(view, point)) return fail(what + " is out of a finger's reach");
        ios::tap(point);
        pass(0.1);
        return true;
    }
    bool tap(const ios::UIView& view, const std::string& what) {
        return tap(view, ios::CGPointMake(view.bounds().size.width / 2, view.bounds().size.height / 2), what);
    }
    bool tap(const std::string& name) {
        auto view = property<ios::UIView>(name);
        if (!view) return fail("the status bar has no " + name);
        return tap(*view, name);
    }

    // Swipes a paged scroll view a page at a time until page `page` (from 1) shows, the finger
    // crossing it at height y of its frame.
    bool turnTo(const std::string& name, int page, double y) {
        auto scroll = property<ios::UIScrollView>(name);
        if (!scroll) return fail("the status bar has no " + name);
        const double width = scroll->bounds().size.width;
        auto shown = [&] { return static_cast<int>(std::lround(scroll->contentOffset().x / width)) + 1; };
        while (shown() != page) {
            const int before = shown();
            const double from = before < page ? 0.85 : 0.15;
            const ios::CGPoint origin = scroll->bounds().origin;
            ios::swipe(
                ios::convertPointToScreen(*scroll, ios::CGPointMake(origin.x + from * width, origin.y + y)),
                ios::convertPointToScreen(*scroll, ios::CGPointMake(origin.x + (1 - from) * width, origin.y + y)),
                0.25);
            pass(0.5);
            if (shown() == before) return fail("a swipe across " + name + " stayed on page " + std::to_string(before));
        }
        return true;
    }

    // Drags the slider's thumb to where `value` puts it.
    bool slide(const std::string& name, float value) {
        auto slider = property<ios::UISlider>(name);
        if (!slider) return fail("the status bar has no " + name);
        const ios::CGRect bounds = slider->bounds(), track = slider->trackRectForBounds(bounds);
        auto thumbAt = [&](float v) {
            const ios::CGRect thumb = slider->thumbRectForBounds(bounds, track, v);
            return ios::convertPointToScreen(*slider, ios::CGPointMake(CGRectGetMidX(thumb), CGRectGetMidY(thumb)));
        };
        const ios::CGPoint from = thumbAt(slider->value());
        if (!reachableAt(*slider, from)) return fail(name + " is out of a finger's reach");
        ios::drag({from, thumbAt(value)}, 0.4);
        pass(0.3);
        if (std::abs(slider->value() - value) > 0.02f * (slider->maximumValue() - slider->minimumValue()))
            return fail(name + " did not follow the finger (at " + std::to_string(slider->value()) + ")");
        return true;
    }

    std::string labelText(const std::string& name) {
        auto label = property<ios::UILabel>(name);
        return label && label->text() ? *label->text() : std::string();
    }

    // A tap on the tool card's handle, which toggles it.
    bool setToolCard(bool open) {
        auto card = property<ios::UIView>("toolCardView");
        if (!card) return fail("the editor has no tool card");
        if (!tap(*card, ios::CGPointMake(card->bounds().size.width / 2, kHandleTapY), "the tool card's handle"))
            return false;
        pass(0.5);
        const bool opened = card->center().y < ios::UIScreen::mainScreen()->bounds().size.height;
        if (opened != open)
            return fail(std::string("a tap on the tool card's handle did not ") + (open ? "open" : "close") + " it");
        return true;
    }

    bool openEditor() {
        auto panel = property<ios::UIWindow>("flintWindow");
        if (!panel || panel->isHidden()) {
            ios::tap(screenCentreOf(*ios::HomeScreen::shared().statusBar()));
            pass(0.5);
            panel = property<ios::UIWindow>("flintWindow");
            if (!panel || panel->isHidden()) return fail("a tap on the status bar did not open the panel");
            m_out << "showcase: a tap on the status bar opened the panel\n";
        }
        if (!tap("showcaseView")) return false;
        pass(0.5);
        if (!property<ios::UIView>("showcasePickerView"))
            return fail("a tap on the Showcase card did not open the gallery");
        if (!turnTo("showcaseScrollView", kRoseGoldTemplate, 100)) return false;
        m_out << "showcase: the panel's Showcase card opened the gallery; " << kRoseGoldTemplate - 1
              << " swipes to page " << kRoseGoldTemplate << "\n";

        if (!tap("customizeView" + std::to_string(kRoseGoldTemplate))) return false;
        pass(1.0);
        auto window = property<ios::UIWindow>("showcaseWindow");
        if (!window || window->isHidden()) return fail("the \"Customize\" pill did not open the editor");
        if (auto gallery = property<ios::UIView>("showcasePickerView"); gallery && gallery->superview())
            return fail("the gallery stayed open under the editor");
        auto bezel = property<ios::UIImageView>("showcaseBezelImage");
        if (!bezel || bezel->frame().size.width != kHomeButtonBezelWidth ||
            bezel->frame().size.height != kHomeButtonBezelHeight)
            return fail("the editor does not show the home-button bezel of template " +
                        std::to_string(kRoseGoldTemplate));
        m_out << "showcase: \"Customize\" opened the editor with the rose-gold home-button bezel, the gallery closed\n";
        return true;
    }

    bool addScreenshot() {
        if (!setToolCard(true) || !tap("screenshotImageButton")) return false;
        pass(0.5);
        ios::UIImagePickerController* picker = shownImagePicker();
        if (!picker) return fail("\"Add Image\" did not show the photo picker");
        const std::size_t photos = ios::UIPhotoLibrary::shared().photoCount();
        ios::UIButton* thumbnail = photos ? pickerThumbnail(*picker, photos - 1) : nullptr;
        if (!thumbnail) return fail("the photo picker shows no thumbnail of the newest photo");
        if (!tap(*thumbnail, "the newest photo's thumbnail")) return false;
        pass(0.5);
        auto screen = property<ios::UIImageView>("showcaseScreenshotImage");
        auto newest = newestPhoto();
        if (shownImagePicker()) return fail("the photo picker stayed open after the pick");
        if (!screen || !screen->image() || screen->image()->pixelWidth() != newest->pixelWidth() ||
            screen->image()->pixelHeight() != newest->pixelHeight())
            return fail("the picked photo did not reach the bezel");
        m_out << "showcase: tool card opened; \"Add Image\", the thumbnail of photo " << photos << " of " << photos
              << " (the countdown's screenshot, " << size(*newest) << ") is in the bezel\n";
        return true;
    }

    bool colourBackground() {
        if (!turnTo("toolScrollView", 2, kPageSwipeY) || !slide("backgroundColorSlider", kBackgroundHue)) return false;
        auto canvas = property<ios::UIView>("showcaseCanvasView");
        auto colour = canvas ? canvas->backgroundColor() : nullptr;
        if (!colour || colour->alpha() < 1) return fail("the background colour slider did not colour the canvas");
        m_out << "showcase: page 2, background colour slider dragged: " << hex(*colour) << "\n";
        return true;
    }

    bool tiltBezel() {
        if (!turnTo("toolScrollView", 4, kPageSwipeY) || !slide("rotateYSlider", kTiltY) ||
            !slide("rotateZSlider", kTiltZ))
            return false;
        auto bezel = property<ios::UIView>("showcaseBezelImage");
        if (!bezel || ios::CATransform3DIsIdentity(bezel->layer()->transform()))
            return fail("the rotation sliders left the bezel upright");
        m_out << "showcase: page 4, bezel tilted: X " << labelText("rotateXValueLabel") << ", Y "
              << labelText("rotateYValueLabel") << ", Z " << labelText("rotateZValueLabel") << "\n";
        return true;
    }

    bool drawArrow() {
        if (!turnTo("toolScrollView", 3, kPageSwipeY) || !slide("drawingColorSlider", kInkHue) ||
            !tap("drawingArrowButton") || !setToolCard(false))
            return false;
        auto drawing = property<ios::UIView>("drawingView");
        if (!drawing) return fail("the editor has no drawing layer");
        // Up and to the right across the lower left of the phone, clear of the closed tool card.
        const std::vector<ios::CGPoint> local = {ios::CGPointMake(60, 600), ios::CGPointMake(130, 540),
                                                 ios::CGPointMake(200, 480)};
        std::vector<ios::CGPoint> path;
        for (const auto& p : local) path.push_back(ios::convertPointToScreen(*drawing, p));
        if (!reachableAt(*drawing, path.front())) return fail("the canvas is out of a finger's reach");
        ios::drag(path, 0.5);
        pass(0.2);
        auto layer = ios::UIImage::imageWithSize(drawing->bounds().size, 1,
                                                 [&](ios::CGContext& c) { drawing->layer()->renderInContext(c); });
        if (!layer || layer->pixelAtPoint(local[1]).a == 0) return fail("the arrow drawn on the canvas is not visible");
        m_out << "showcase: page 3, ink colour chosen, arrow tool, tool card closed; an arrow drawn by finger on the "
                 "canvas\n";
        return true;
    }

    bool writeCaption() {
        if (!setToolCard(true) || !tap("drawingTextButton") || !setToolCard(false)) return false;
        auto drawing = property<ios::UIView>("drawingView");
        if (!drawing) return fail("the editor has no drawing layer");
        // The caption goes above the phone; the second tap, away from it, ends the editing.
        const double width = drawing->bounds().size.width;
        if (!tap(*drawing, ios::CGPointMake(width / 2 - 70, 30), "the canvas")) return false;
        if (!ios::typeText(kCaption)) return fail("a tap on the canvas with the text tool gave nothing to type into");
        if (!tap(*drawing, ios::CGPointMake(width - 20, 600), "the canvas")) return false;
        pass(0.3);
        if (!holdsText(*drawing, kCaption)) return fail("the caption did not reach the canvas");
        m_out << "showcase: text tool; a tap on the canvas and \"" << kCaption << "\" typed\n";
        return true;
    }

    bool save(const std::filesystem::path& dir) {
        const std::size_t before = ios::UIPhotoLibrary::shared().photoCount();
        if (!setToolCard(true) || !turnTo("toolScrollView", 1, kPageSwipeY) || !tap("saveImageButton")) return false;
        pass(0.5);
        ios::UIAlertController* alert = shownAlert();
        if (!alert) return fail("saving showed no alert");
        const std::string title = alert->alertTitle().value_or(""), message = alert->message().value_or("");
        m_out << "showcase: page 1, save; alert \"" << title << "\": \"" << message << "\"\n";
        if (title != kShowcaseAlertTitle || message != kShowcaseSavedMessage) return fail("the mock-up was not saved");
        ios::UIButton* gotIt = nullptr;
        for (const auto& button : alert->actionButtons())
            if (button->currentTitle() == kShowcaseAlertAction) gotIt = button.get();
        if (!gotIt) return fail(std::string("the alert has no \"") + kShowcaseAlertAction + "\" button");
        if (!tap(*gotIt, "the alert's button")) return false;
        pass(0.5);
        if (shownAlert()) return fail("the alert stayed after its button was pressed");

        auto photos = ios::UIPhotoLibrary::shared().photoPaths();
        if (photos.size() != before + 1) return fail("the photo library did not get the mock-up");
        const auto mockup = dir / "showcase-mockup.png";
        std::error_code ec;
        std::filesystem::copy_file(photos.back(), mockup, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return fail("cannot write " + mockup.string() + ": " + ec.message());
        m_out << "showcase: \"" << kShowcaseAlertAction << "\" pressed; mock-up of " << size(*newestPhoto())
              << " pixels written to " << mockup.string() << "\n";

        if (!setToolCard(false)) return false;
        const auto editor = dir / "showcase-editor.png";
        if (!ios::UIScreen::mainScreen()->writeSnapshotPNG(editor)) return fail("cannot write " + editor.string());
        m_out << "wrote " << editor.string() << "\n";
        return true;
    }

    std::ostream& m_out;
    ios::RunLoop& m_loop;
};

}  // namespace

int runShowcaseDemo(const std::filesystem::path& dir, std::ostream& out) { return ShowcaseTour(out).run(dir) ? 0 : 1; }

}  // namespace flint::sim
