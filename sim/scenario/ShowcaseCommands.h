#pragma once
// Scenario lines for the Showcase composer and what it presents, all acting by touch:
//
//   tap-property NAME [X Y]            a tap on the view in the status bar's host property NAME
//                                      (saveImageButton, …), at its point (X, Y) or its centre
//   pick-photo N|last                  in the shown image picker, a tap on the thumbnail of photo
//                                      N (1 is the oldest) or of the newest
//   alert-press "TITLE"                a tap on the shown alert's button TITLE
//   share-press "TITLE"                a tap on the shown share sheet's target TITLE ("Save
//                                      Image", "Copy", …) or on its "Cancel"
//   photos deny|allow                  whether the photo library lets this process add photos
//   write-export PATH                  copies the newest photo (the last export) to PATH
//
//   expect alert "TITLE" "MESSAGE"     an alert with this title and message is shown
//   expect share-sheet shown|hidden    a share sheet is shown (or none is)
//   expect shared "TITLE" [failed] | cancelled
//                                      the last share sheet closed with target TITLE, completed
//                                      (or failed), or was cancelled
//   expect pasteboard image W H | text "TEXT" | empty
//                                      what the general pasteboard holds
//   expect export-size W H             the newest photo is W × H pixels
//   expect export-pixel X Y R G B A [TOLERANCE]
//                                      its pixel (X, Y) is that colour, per channel within
//                                      TOLERANCE (24)
//
// The same look-ups serve the demo, which drives the composer from the panel to a saved mock-up.

#include <string>

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImage.h"
#include "platform/objc/Runtime.h"

namespace ios {
class UIActivityViewController;
class UIAlertController;
class UIButton;
class UIImagePickerController;
class UIView;
}  // namespace ios

namespace flint::sim {

class Scenario;
void registerShowcaseScenarioCommands(Scenario& scenario);

// The status bar's host property `name`, read by name as anything outside the library reads it;
// none before the library added it or while it is unset.
objc::id hostProperty(const std::string& name);
// The screen point at the centre of a view's bounds.
ios::CGPoint screenCentreOf(const ios::UIView& view);

// The topmost visible alert, image picker or share sheet that is not on its way out; none when
// there is none.
ios::UIAlertController* shownAlert();
ios::UIImagePickerController* shownImagePicker();
ios::UIActivityViewController* shownShareSheet();
// The picker's thumbnail of photo `index` (0 is the oldest); none when it shows no such photo.
ios::UIButton* pickerThumbnail(ios::UIImagePickerController& picker, std::size_t index);
// Whether a finger at this screen point lands on the view (or inside it).
bool reachableAt(const ios::UIView& view, ios::CGPoint screenPoint);

// The newest photo in the library: the last saved image; none in an empty library.
objc::Ref<ios::UIImage> newestPhoto();

}  // namespace flint::sim
