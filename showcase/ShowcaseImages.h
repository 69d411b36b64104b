#pragma once
// The actions of the editor's image and background pages: choosing the screenshot inside the
// bezel and the background image from the photo library, colouring and resetting the canvas
// background, and exporting the composed canvas to the photo library or the share sheet.

#include "platform/graphics/UIImage.h"
#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

inline constexpr const char* kShowcaseAlertTitle = "Showcase";
inline constexpr const char* kShowcaseSavedMessage = "Successfully saved photo to your photo library :)";
inline constexpr const char* kShowcaseSaveFailedMessage = "Could not save photo to your photo library";
inline constexpr const char* kShowcaseAlertAction = "Got it!";

// The canvas as exported: one pixel per point of its frame, not opaque, the canvas layer and
// everything in it. None when the editor has not been built.
ios::UIImageRef renderShowcaseCanvas(FlintHost& host);

void saveShowcaseImage(FlintHost& host);
void shareShowcaseImage(FlintHost& host);

extern const ActionTable showcaseImageActions;

}  // namespace flint
