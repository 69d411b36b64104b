#pragma once
// What every screen's builders and actions share: the resource images, the haptic tap, single-tap
// recognisers aimed at the host, the common card and label set-up, the appearance backdrop and the
// status bar's window level the screens' windows are placed by.

#include <limits>
#include <string>

#include "platform/graphics/UIImage.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"
#include "startup/FlintHost.h"

namespace flint::screens {

inline constexpr const char* kBundleFolder = "/Library/Application Support/Flint.bundle/";

// A resource image by file name ("wifi.png"); none when it cannot be read.
ios::UIImageRef bundleImage(const std::string& name);
// The same, drawn as a template (a mask in the view's tint).
ios::UIImageRef bundleTemplateImage(const std::string& name);

// Replaces `gen` with a new medium impact generator and fires it.
void fireMediumImpact();

// Attaches a single-tap recogniser that sends `action` to the host object.
void addSingleTap(ios::UIView& view, FlintHost& host, const char* action);

// A card: themed container background, corner radius 15, clipped, interaction on.
objc::Ref<ios::UIView> makeCard(const ios::CGRect& frame);

// A label in the theme's label colour with the given font (none: the default label font),
// centred text, one line.
objc::Ref<ios::UILabel> makeLabel(const std::string& text, objc::Ref<ios::UIFont> font = nullptr);
// The label's natural size: its text measured without a width limit, cut to its line count.
ios::CGSize naturalSize(const ios::UILabel& label);
// Places the label at its natural size, no wider than maxWidth (a longer text is cut at its tail
// with an ellipsis), centred horizontally on centreX with its top at `top`.
void placeCentredLabel(ios::UILabel& label, double centreX, double top,
                       double maxWidth = std::numeric_limits<double>::infinity());

// The backdrop of the appearance preference behind `root`: in colour mode the colour text's
// background (blur views faded out); in adaptive mode a dark or light blur inserted at the back
// for the current style, stored in the host's blur properties (none for an unspecified style).
void applyAppearanceBackdrop(FlintHost& host, ios::UIView& root);

// The window level of the host's status bar (the status-bar level when it is in no window): the
// screens' windows are placed relative to it.
double statusBarWindowLevel(const FlintHost& host);

// Sends a host action by name through the runtime, as a recogniser or timer does.
void sendToHost(FlintHost& host, const char* selector);

}  // namespace flint::screens
