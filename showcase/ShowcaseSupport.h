#pragma once
// What the Showcase composer's screens share: the ten bezel styles and their two geometries, the
// resource images, host properties numbered 1 to 10, and the control styles of the editor's tool
// pages (rounded buttons with an icon, text buttons, title labels), all placed by constraints.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImage.h"
#include "platform/quartz/CALayer.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"
#include "startup/FlintHost.h"

namespace flint::showcase {

enum class BezelFamily { EdgeToEdge, HomeButton };

struct BezelGeometry {
    ios::CGSize bezel;      // the bezel image view
    ios::CGSize screen;     // the screenshot image view inside it (and its mask layer)
    double screenDrop = 0;  // the screen's centre lies this far below the bezel's centre
};

inline constexpr BezelGeometry kEdgeToEdgeGeometry{{287, 571}, {251, 542}, 0};
inline constexpr BezelGeometry kHomeButtonGeometry{{284, 576}, {250, 440}, 2};

inline const BezelGeometry& geometryOf(BezelFamily family) {
    return family == BezelFamily::HomeButton ? kHomeButtonGeometry : kEdgeToEdgeGeometry;
}
inline const char* maskImageOf(BezelFamily family) {
    return family == BezelFamily::HomeButton ? "iPhone-mask.png" : "iPhoneX-mask.png";
}

// One template: its key (the notification name the picker and editor agree on), the bezel's
// frame image and family.
struct BezelStyle {
    const char* key;
    const char* frameImage;
    BezelFamily family;
};

// The ten templates in picker order (page k is row k - 1).
inline const std::array<BezelStyle, 10>& bezelStyles() {
    static const std::array<BezelStyle, 10> styles = {{
        {"IphoneXSilver", "iPhoneX-silver.png", BezelFamily::EdgeToEdge},
        {"IphoneXBlack", "iPhoneX-black.png", BezelFamily::EdgeToEdge},
        {"IphoneXBlue", "iPhoneX-blue.png", BezelFamily::EdgeToEdge},
        {"IphoneXYellow", "iPhoneX-yellow.png", BezelFamily::EdgeToEdge},
        {"IphoneXCoral", "iPhoneX-coral.png", BezelFamily::EdgeToEdge},
        {"IphoneXRed", "iPhoneX-red.png", BezelFamily::EdgeToEdge},
        {"IphoneSilver", "iPhone-silver.png", BezelFamily::HomeButton},
        {"IphoneRoseGold", "iPhone-rosegold.png", BezelFamily::HomeButton},
        {"IphoneGold", "iPhone-gold.png", BezelFamily::HomeButton},
        {"IphoneBlack", "iPhone-black.png", BezelFamily::HomeButton},
    }};
    return styles;
}

// The style of a key; null for a name that is none of them.
inline const BezelStyle* bezelStyleForKey(std::string_view key) {
    for (const auto& style : bezelStyles())
        if (key == style.key) return &style;
    return nullptr;
}

inline constexpr const char* kDefaultFrameImage = "iPhoneX-silver.png";

// A resource image drawn with its own colours (never tinted); none when it cannot be read.
ios::UIImageRef originalImage(const std::string& name);

// A plain layer showing the mask image of the family, of the given frame.
objc::Ref<ios::CALayer> makeMaskLayer(BezelFamily family, const ios::CGRect& frame);

// Sets the host property `<stem><n>` ("showcaseImage" and 3 give showcaseImage3). A name the
// host does not have is logged; setting it does nothing and reading it gives none.
void setNumbered(FlintHost& host, std::string_view stem, int n, const objc::id& value);
objc::id getNumbered(const FlintHost& host, std::string_view stem, int n);

// Adds `view` to `parent` ready to be placed by constraints.
template <class T>
const objc::Ref<T>& addConstrained(ios::UIView& parent, const objc::Ref<T>& view) {
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    parent.addSubview(view);
    return view;
}
inline void activate(const std::vector<objc::Ref<ios::NSLayoutConstraint>>& constraints) {
    ios::NSLayoutConstraint::activateConstraints(constraints);
}

// A paged, horizontal scroll view without indicators, the host its delegate.
objc::Ref<ios::UIScrollView> makePagedScrollView(FlintHost& host);
// One page of such a scroll view: clear, clipping, tagged.
objc::Ref<ios::UIView> makePage(const ios::CGRect& frame, int tag);
// Pins the view's edges to the container's, its top `top` points down.
void pinToEdges(ios::UIView& view, ios::UIView& container, double top = 0);

// A rounded button: button colour background, the corner radius, the host as the target of
// `action` on touch up inside.
objc::Ref<ios::UIButton> makeRoundedButton(FlintHost& host, double cornerRadius, const char* action);
// A rounded button with a title in the given colour.
objc::Ref<ios::UIButton> makeTextButton(FlintHost& host, const std::string& title, ios::UIColorRef titleColor,
                                        double cornerRadius, const char* action);
// A template icon centred in the button, a square of `side` points, drawn in `tint` (the theme's
// image colour when none).
objc::Ref<ios::UIImageView> addIcon(ios::UIButton& button, const std::string& image, double side,
                                    ios::UIColorRef tint = nullptr);
// A label in the theme's label colour, interaction on, default font.
objc::Ref<ios::UILabel> makeThemedLabel(const std::string& text);

}  // namespace flint::showcase
