#pragma once
// The Showcase template picker: a full-screen, horizontally paged gallery of the ten templates
// over the quick panel. A "Customize" pill subscribes the host to its template's bezel key, opens
// the editor at the next turn of the run loop and closes the picker half a second later; the
// editor posts the keys while it builds, so the chosen bezel reaches its canvas.

#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

inline constexpr int kShowcaseTemplateCount = 10;
inline constexpr double kShowcasePickerCloseDelay = 0.5;

void displayShowcase(FlintHost& host);
// The pill action of page k (1 to 10).
void beginShowcaseTemplate(FlintHost& host, int k);
// Applies the bezel whose key is the notification's name to the editor's canvas views.
void receiveIphoneXColorNotification(FlintHost& host, const objc::id& notification);
void applyBezel(FlintHost& host, std::string_view key);
void dismissShowcase(FlintHost& host);

extern const ActionTable showcasePickerActions;

}  // namespace flint
