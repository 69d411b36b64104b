#pragma once
// The music card follows the now-playing service: artwork, title and artist, the play or pause
// image, and the wave's visibility; its images send previous, play/pause and next.

#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

// Ask the service and apply its answer (at a later turn of the run loop).
void refreshMusicArtwork(FlintHost& host);
void refreshMusicButton(FlintHost& host);
// Command 5, 2 and 4, each followed by the medium haptic tap; the card changes only when the
// service's change notifications arrive.
void musicPreviousTrack(FlintHost& host);
void musicPlayTrack(FlintHost& host);
void musicNextTrack(FlintHost& host);

// Subscribes the host to the two change notifications, after dropping its earlier
// subscriptions to them, so that each change refreshes the card once however often the panel
// was opened.
void subscribeToNowPlaying(FlintHost& host);

extern const ActionTable nowPlayingActions;

}  // namespace flint
