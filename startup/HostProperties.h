#pragma once
// The host object's properties, one row each, in order: X(namespace-qualified type, name).
// Every property holds one strong object reference or none; storage is per status-bar instance.

#define FLINT_HOST_PROPERTIES(X)                                     \
    /* Panel frame */                                                \
    X(ios::UIWindow, flintWindow)                                    \
    X(ios::UIView, flintView)                                        \
    X(ios::UIView, topDismissView)                                   \
    X(ios::UIView, bottomDismissView)                                \
    X(ios::UILabel, dismissLabel)                                    \
    X(ios::UIVisualEffectView, blurEffectView1)                      \
    X(ios::UIBlurEffect, blurEffect1)                                \
    X(ios::UIVisualEffectView, blurEffectView2)                      \
    X(ios::UIBlurEffect, blurEffect2)                                \
    /* User card */                                                  \
    X(ios::UIView, icloudView)                                       \
    X(ios::UIImageView, avatarImage)                                 \
    X(ios::UILabel, icloudNameLabel)                                 \
    /* Utilities card */                                             \
    X(ios::UIView, utilitiesView)                                    \
    X(ios::UIButton, screenshotButton)                               \
    X(ios::UIImageView, screenshotImage)                             \
    X(ios::UIButton, lockscreenButton)                               \
    X(ios::UIImageView, lockscreenImage)                             \
    X(ios::UIButton, settingButton)                                  \
    X(ios::UIImageView, settingImage)                                \
    X(ios::UIButton, twitterButton)                                  \
    X(ios::UIImageView, twitterImage)                                \
    X(ios::UIButton, redditButton)                                   \
    X(ios::UIImageView, redditImage)                                 \
    /* Wi-Fi card */                                                 \
    X(ios::UIView, wifiView)                                         \
    X(ios::UIImageView, wifiImage)                                   \
    X(ios::UILabel, wifiNameTitleLabel)                              \
    X(ios::UILabel, wifiNameLabel)                                   \
    X(ios::UILabel, wifiIPTitleLabel)                                \
    X(ios::UILabel, wifiIPLabel)                                     \
    /* Cellular card */                                              \
    X(ios::UIView, cellularView)                                     \
    X(ios::UIImageView, cellularImage)                               \
    X(ios::UILabel, cellularNameTitleLabel)                          \
    X(ios::UILabel, cellularNameLabel)                               \
    X(ios::UILabel, cellularIPTitleLabel)                            \
    X(ios::UILabel, cellularIPLabel)                                 \
    /* App card */                                                   \
    X(ios::UIView, appView)                                          \
    X(ios::UIStackView, appsStackView)                               \
    X(ios::UIStackView, appsStackView1)                              \
    X(ios::UIStackView, appsStackView2)                              \
    X(ios::UIButton, appButton1)                                     \
    X(ios::UIButton, appButton2)                                     \
    X(ios::UIButton, appButton3)                                     \
    X(ios::UIButton, appButton4)                                     \
    X(ios::UIButton, appButton5)                                     \
    X(ios::UIButton, appButton6)                                     \
    /* Showcase card */                                              \
    X(ios::UIView, showcaseView)                                     \
    X(ios::UILabel, showcaseLabel)                                   \
    X(ios::UIImageView, showcaseImage)                               \
    /* Music card */                                                 \
    X(ios::UIView, musicView)                                        \
    X(ios::UIImageView, artworkImage)                                \
    X(ios::UILabel, titleLabel)                                      \
    X(ios::UILabel, artistLabel)                                     \
    X(ios::UIImageView, backImage)                                   \
    X(ios::UIImageView, playImage)                                   \
    X(ios::UIImageView, nextImage)                                   \
    X(::FlintWaveView, waterView)                                    \
    X(ios::UIImageView, appleMusicImage)                             \
    X(ios::UIImageView, spotifyImage)                                \
    /* Screenshot countdown */                                       \
    X(ios::NSTimer, screenshotTimer)                                 \
    X(ios::UIWindow, screenshotWindow)                               \
    X(ios::UIView, screenshotView)                                   \
    X(ios::UILabel, screenshotTitleLabel)                            \
    X(ios::UILabel, screenshotCountdownLabel)                        \
    /* Lock countdown */                                             \
    X(ios::NSTimer, lockscreenTimer)                                 \
    X(ios::UIWindow, lockscreenWindow)                               \
    X(ios::UIView, lockscreenView)                                   \
    X(ios::UILabel, lockscreenTitleLabel)                            \
    X(ios::UILabel, lockscreenCountdownLabel)                        \
    /* Template picker */                                            \
    X(ios::UIButton, dismissButton)                                  \
    X(ios::UIView, showcasePickerView)                               \
    X(ios::UIView, showcaseContainerView)                            \
    X(ios::UIScrollView, showcaseScrollView)                         \
    X(ios::UIView, scrollContentView)                                \
    X(ios::UIImageView, showcaseImage1)                              \
    X(ios::UIView, customizeView1)                                   \
    X(ios::UILabel, customizeLabel1)                                 \
    X(ios::UIImageView, showcaseImage2)                              \
    X(ios::UIView, customizeView2)                                   \
    X(ios::UILabel, customizeLabel2)                                 \
    X(ios::UIImageView, showcaseImage3)                              \
    X(ios::UIView, customizeView3)                                   \
    X(ios::UILabel, customizeLabel3)                                 \
    X(ios::UIImageView, showcaseImage4)                              \
    X(ios::UIView, customizeView4)                                   \
    X(ios::UILabel, customizeLabel4)                                 \
    X(ios::UIImageView, showcaseImage5)                              \
    X(ios::UIView, customizeView5)                                   \
    X(ios::UILabel, customizeLabel5)                                 \
    X(ios::UIImageView, showcaseImage6)                              \
    X(ios::UIView, customizeView6)                                   \
    X(ios::UILabel, customizeLabel6)                                 \
    X(ios::UIImageView, showcaseImage7)                              \
    X(ios::UIView, customizeView7)                                   \
    X(ios::UILabel, customizeLabel7)                                 \
    X(ios::UIImageView, showcaseImage8)                              \
    X(ios::UIView, customizeView8)                                   \
    X(ios::UILabel, customizeLabel8)                                 \
    X(ios::UIImageView, showcaseImage9)                              \
    X(ios::UIView, customizeView9)                                   \
    X(ios::UILabel, customizeLabel9)                                 \
    X(ios::UIImageView, showcaseImage10)                             \
    X(ios::UIView, customizeView10)                                  \
    X(ios::UILabel, customizeLabel10)                                \
    /* Editor frame */                                               \
    X(ios::UIWindow, showcaseWindow)                                 \
    X(ios::UIViewController, showcaseController)                     \
    X(ios::UIView, showcaseNavbarView)                               \
    X(ios::UIButton, showcaseDismissButton)                          \
    X(ios::UIView, showcaseEditorView)                               \
    X(ios::UIView, showcaseCanvasView)                               \
    X(ios::UIImageView, showcaseBackgroundImage)                     \
    X(::FlintDrawingView, drawingView)                               \
    X(::FlintDragView, toolCardView)                                 \
    X(ios::UIScrollView, toolScrollView)                             \
    X(ios::UIView, toolContentView)                                  \
    X(ios::UIImageView, showcaseScreenshotImage)                     \
    X(ios::UIImageView, showcaseBezelImage)                          \
    /* Images and export */                                          \
    X(ios::UIImagePickerController, screenshotImagePickerController) \
    X(ios::UIImagePickerController, backgroundImagePickerController) \
    X(ios::UIImageView, showcaseScreenshotPreviewImage)              \
    X(ios::UIImageView, showcaseBezelPreviewImage)                   \
    X(ios::UIButton, screenshotImageButton)                          \
    X(ios::UIImageView, shareImage)                                  \
    X(ios::UIImageView, saveImage)                                   \
    X(ios::UIButton, saveImageButton)                                \
    X(ios::UIButton, shareImageButton)                               \
    X(ios::UILabel, backgroundImageTitleLabel)                       \
    X(ios::UIButton, backgroundImageButton)                          \
    X(ios::UILabel, backgroundColorTitleLabel)                       \
    X(::FlintColorSlider, backgroundColorSlider)                     \
    X(ios::UIButton, resetBackgroundImageButton)                     \
    X(ios::UIButton, resetBackgroundColorButton)                     \
    /* Drawing tools */                                              \
    X(::FlintColorSlider, drawingColorSlider)                        \
    X(ios::UIButton, drawingUndoButton)                              \
    X(ios::UIButton, drawingResetButton)                             \
    X(ios::UIButton, drawingRedoButton)                              \
    X(ios::UIButton, drawingPenButton)                               \
    X(ios::UIButton, drawingSquareButton)                            \
    X(ios::UIButton, drawingCircleButton)                            \
    X(ios::UIButton, drawingArrowButton)                             \
    X(ios::UIButton, drawingTextButton)                              \
    X(ios::UIImageView, drawingUndoImage)                            \
    X(ios::UIImageView, drawingResetImage)                           \
    X(ios::UIImageView, drawingRedoImage)                            \
    X(ios::UIImageView, drawingPenImage)                             \
    X(ios::UIImageView, drawingSquareImage)                          \
    X(ios::UIImageView, drawingCircleImage)                          \
    X(ios::UIImageView, drawingArrowImage)                           \
    X(ios::UIImageView, drawingTextImage)                            \
    /* Rotation controls */                                          \
    X(ios::UISlider, rotateXSlider)                                  \
    X(ios::UISlider, rotateYSlider)                                  \
    X(ios::UISlider, rotateZSlider)                                  \
    X(ios::UILabel, rotateTitleLabel)                                \
    X(ios::UILabel, rotateXLabel)                                    \
    X(ios::UILabel, rotateYLabel)                                    \
    X(ios::UILabel, rotateZLabel)                                    \
    X(ios::UILabel, rotateXValueLabel)                               \
    X(ios::UILabel, rotateYValueLabel)                               \
    X(ios::UILabel, rotateZValueLabel)                               \
    X(ios::UIButton, rotateResetButton)                              \
    /* Translation controls */                                       \
    X(ios::UISlider, translationXSlider)                             \
    X(ios::UISlider, translationYSlider)                             \
    X(ios::UISlider, translationZSlider)                             \
    X(ios::UILabel, translationTitleLabel)                           \
    X(ios::UILabel, translationXLabel)                               \
    X(ios::UILabel, translationYLabel)                               \
    X(ios::UILabel, translationZLabel)                               \
    X(ios::UILabel, translationXValueLabel)                          \
    X(ios::UILabel, translationYValueLabel)                          \
    X(ios::UILabel, translationZValueLabel)                          \
    X(ios::UIButton, translationResetButton)                         \
    /* Scale controls */                                             \
    X(ios::UISlider, scaleXSlider)                                   \
    X(ios::UISlider, scaleYSlider)                                   \
    X(ios::UISlider, scaleZSlider)                                   \
    X(ios::UILabel, scaleTitleLabel)                                 \
    X(ios::UILabel, scaleXLabel)                                     \
    X(ios::UILabel, scaleYLabel)                                     \
    X(ios::UILabel, scaleZLabel)                                     \
    X(ios::UILabel, scaleXValueLabel)                                \
    X(ios::UILabel, scaleYValueLabel)                                \
    X(ios::UILabel, scaleZValueLabel)                                \
    X(ios::UIButton, scaleResetButton)

inline constexpr int kFlintHostPropertyCount = 181;
