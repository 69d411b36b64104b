#pragma once
// Forward declarations of every kind of object the host properties hold.

namespace ios {
class _UIStatusBar;
class UIWindow;
class UIView;
class UILabel;
class UIVisualEffectView;
class UIBlurEffect;
class UIImageView;
class UIButton;
class UIStackView;
class NSTimer;
class UIScrollView;
class UIViewController;
class UIImagePickerController;
class UISlider;
}  // namespace ios

class FlintWaveView;
class FlintDrawingView;
class FlintDragView;
class FlintColorSlider;
