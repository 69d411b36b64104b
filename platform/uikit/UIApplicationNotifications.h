#pragma once
// The application's life-cycle notifications and the state they move it through. The simulator
// (or a test) tells the process that the application became active or went to the background;
// each call updates the state and posts the platform's notification, with the shared application
// as sender, in the process's default notification centre.

#include <string>

namespace ios {

inline const std::string UIApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline const std::string UIApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline const std::string UIApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline const std::string UIApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";

enum class UIApplicationState { Active = 0, Inactive = 1, Background = 2 };

// The current process's application state; a process starts active.
UIApplicationState UIApplicationCurrentState();

// Coming back: posts will-enter-foreground (when it was in the background), then did-become-active.
void UIApplicationSimulateDidBecomeActive();
// Leaving: posts will-resign-active (when it was active), then did-enter-background.
void UIApplicationSimulateDidEnterBackground();

}  // namespace ios
