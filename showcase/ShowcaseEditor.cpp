#include "showcase/ShowcaseEditor.h"

#include "controls/FlintColorSlider.h"
#include "controls/StyledFlintView.h"
#include "drawing/FlintDrawingView.h"
#include "startup/ScreenMetrics.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "showcase/ShowcaseSupport.h"
#include "showcase/TransformControls.h"
#include "startup/UIColor+Container.h"

namespace flint {

using namespace showcase;

namespace {

bool smallScreen(ScreenClass c) { return c == ScreenClass::Height667 || c == ScreenClass::Height736; }

// How far below the screen's bottom edge the closed tool card's centre lies.
double closedCardDrop(ScreenClass c) {
    switch (c) {
    case ScreenClass::Height667: return 140;
    case ScreenClass::Height736: return 160;
    case ScreenClass::Height812: return 170;
    case ScreenClass::Other: break;
    }
    return 200;
}

void buildCanvas(FlintHost& host, const ScreenMetrics& m, ios::UIView& editor) {
    auto navbar = objc::make<ios::UIView>(ios::CGRectMake(0, 0, m.W, 0.1 * m.H));
    navbar->setBackgroundColor(showcaseNavbarColor());
    navbar->setUserInteractionEnabled(true);
    editor.addSubview(navbar);
    host.set_showcaseNavbarView(navbar);

    auto dismiss = ios::UIButton::buttonWithType(ios::UIButtonType::Custom);
    dismiss->setBackgroundColor(ios::UIColor::clearColor());
    dismiss->setTitle("Dismiss", ios::UIControlStateNormal);
    dismiss->setTitleColor(flintLabelColor(), ios::UIControlStateNormal);
    dismiss->addTarget(host.self(), objc::sel("dismissShowcaseEditor"), ios::UIControlEventTouchUpInside);
    addConstrained(*navbar, dismiss);
    activate({
        dismiss->trailingAnchor()->constraintEqualToAnchor(navbar->trailingAnchor(), -10),
        dismiss->bottomAnchor()->constraintEqualToAnchor(navbar->bottomAnchor()),
        dismiss->widthAnchor()->constraintEqualToConstant(80),
        dismiss->heightAnchor()->constraintEqualToConstant(50),
    });
    host.set_showcaseDismissButton(dismiss);

    auto canvas = objc::make<ios::UIView>(ios::CGRectMake(0, 0.1 * m.H, m.W, 0.9 * m.H));
    canvas->setBackgroundColor(ios::UIColor::clearColor());
    canvas->setClipsToBounds(true);
    canvas->setUserInteractionEnabled(true);
    editor.addSubview(canvas);
    host.set_showcaseCanvasView(canvas);

    const ios::CGSize c = canvas->frame().size;
    auto background = objc::make<ios::UIImageView>(ios::CGRectMake(0, 0, c.width, c.height));
    background->setContentMode(ios::UIViewContentMode::ScaleAspectFill);
    canvas->addSubview(background);
    host.set_showcaseBackgroundImage(background);

    auto drawing = objc::make<FlintDrawingView>(ios::CGRectMake(0, 0, m.W, 0.9 * m.H));
    drawing->setClipsToBounds(true);
    drawing->setBackgroundColor(ios::UIColor::clearColor());
    canvas->addSubview(drawing);
    host.set_drawingView(drawing);

    const BezelGeometry& g = kEdgeToEdgeGeometry;
    auto bezel = objc::make<ios::UIImageView>(ios::CGRectMake(0, 0, g.bezel.width, g.bezel.height));
    bezel->setCenter(ios::CGPointMake(c.width / 2, c.height / 2));
    bezel->setImage(originalImage(kDefaultFrameImage));
    background->addSubview(bezel);
    host.set_showcaseBezelImage(bezel);

    auto screen = objc::make<ios::UIImageView>(ios::CGRectMake(0, 0, g.screen.width, g.screen.height));
    screen->setCenter(ios::CGPointMake(g.bezel.width / 2, g.bezel.height / 2));
    screen->setContentMode(ios::UIViewContentMode::ScaleToFill);
    bezel->addSubview(screen);
    host.set_showcaseScreenshotImage(screen);
}

// Every bezel key goes out with the host as sender; the key the picker subscribed to applies its
// bezel now. The host then stops observing the keys, and only them: its other subscriptions
// (the music card's) stay.
void announceBezelKeys(FlintHost& host) {
    auto& centre = ios::NSNotificationCenter::defaultCenter();
    for (const auto& style : bezelStyles()) centre.postNotificationName(style.key, host.self());
    for (const auto& style : bezelStyles()) centre.removeObserver(host.self().get(), style.key);
}

void buildImagePage(FlintHost& host, const ScreenMetrics& m, ios::UIView& page) {
    const bool small = smallScreen(m.screenClass);
    const BezelFamily family = small ? BezelFamily::HomeButton : BezelFamily::EdgeToEdge;
    const double screenHeight = small ? 109 : 133;

    auto preview = objc::make<ios::UIImageView>(ios::CGRectZero);
    preview->setUserInteractionEnabled(true);
    preview->setImage(originalImage(small ? "iPhone-silver.png" : kDefaultFrameImage));
    addConstrained(page, preview);

    auto screen = objc::make<ios::UIImageView>(ios::CGRectMake(0, 0, 62, screenHeight));
    screen->setCenter(ios::CGPointMake(35, 70));
    screen->setContentMode(ios::UIViewContentMode::ScaleToFill);
    screen->layer()->setMask(makeMaskLayer(family, ios::CGRectMake(0, 0, 62, screenHeight)));
    screen->layer()->setMasksToBounds(true);
    preview->addSubview(screen);

    auto add = addConstrained(page, makeTextButton(host, "Add Image", flintLabelColor(), 25, "pickScreenshotImage"));
    auto save = addConstrained(page, makeRoundedButton(host, 25, "saveShowcaseImage"));
    auto saveIcon = addIcon(*save, "save.png", 25);
    auto share = addConstrained(page, makeRoundedButton(host, 25, "shareShowcaseImage"));
    auto shareIcon = addIcon(*share, "share.png", 25);

    const double s = m.screenClass == ScreenClass::Height667 ? 15 : 20;
    activate({
        preview->widthAnchor()->constraintEqualToConstant(70),
        preview->heightAnchor()->constraintEqualToConstant(140),
        preview->topAnchor()->constraintEqualToAnchor(page.topAnchor(), 10),
        preview->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        add->widthAnchor()->constraintEqualToConstant(150),
        add->heightAnchor()->constraintEqualToConstant(50),
        add->topAnchor()->constraintEqualToAnchor(preview->bottomAnchor(), 20),
        add->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        save->widthAnchor()->constraintEqualToConstant(50),
        save->heightAnchor()->constraintEqualToConstant(50),
        save->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor(), -50),
        save->topAnchor()->constraintEqualToAnchor(add->bottomAnchor(), s),
        share->widthAnchor()->constraintEqualToConstant(50),
        share->heightAnchor()->constraintEqualToConstant(50),
        share->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor(), 50),
        share->topAnchor()->constraintEqualToAnchor(add->bottomAnchor(), s),
    });

    host.set_showcaseBezelPreviewImage(preview);
    host.set_showcaseScreenshotPreviewImage(screen);
    host.set_screenshotImageButton(add);
    host.set_saveImageButton(save);
    host.set_saveImage(saveIcon);
    host.set_shareImageButton(share);
    host.set_shareImage(shareIcon);
}

void buildBackgroundPage(FlintHost& host, const ScreenMetrics& m, ios::UIView& page) {
    auto imageTitle = addConstrained(page, makeThemedLabel("Background Image"));
    auto choose =
        addConstrained(page, makeTextButton(host, "Choose Image", flintLabelColor(), 30, "pickBackgroundImage"));
    auto colorTitle = addConstrained(page, makeThemedLabel("Background Color"));

    auto slider = objc::make<FlintColorSlider>(ios::CGRectZero);
    slider->addTarget(host.self(), objc::sel("backgroundColorSlider:"), ios::UIControlEventValueChanged);
    slider->addTarget(host.self(), objc::sel("touchDrag:"), ios::UIControlEventTouchDragInside);
    slider->addTarget(host.self(), objc::sel("touchUp:"), kSliderTouchEndEvents);
    addConstrained(page, slider);

    auto resetImage =
        addConstrained(page, makeTextButton(host, "Reset Image", ios::UIColor::redColor(), 30, "resetBackgroundImage"));
    auto resetColor =
        addConstrained(page, makeTextButton(host, "Reset Color", ios::UIColor::redColor(), 30, "resetBackgroundColor"));

    const bool small = m.screenClass == ScreenClass::Height667;
    const double a = small ? 20 : 30, b = small ? 20 : 40;
    activate({
        imageTitle->topAnchor()->constraintEqualToAnchor(page.topAnchor(), 10),
        imageTitle->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        choose->widthAnchor()->constraintEqualToConstant(170),
        choose->heightAnchor()->constraintEqualToConstant(60),
        choose->topAnchor()->constraintEqualToAnchor(imageTitle->bottomAnchor(), 20),
        choose->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        colorTitle->topAnchor()->constraintEqualToAnchor(choose->bottomAnchor(), 20),
        colorTitle->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        slider->widthAnchor()->constraintEqualToConstant(250),
        slider->topAnchor()->constraintEqualToAnchor(colorTitle->bottomAnchor(), 15),
        slider->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        resetImage->widthAnchor()->constraintEqualToConstant(150),
        resetImage->heightAnchor()->constraintEqualToConstant(60),
        resetImage->leadingAnchor()->constraintEqualToAnchor(page.leadingAnchor(), a),
        resetImage->topAnchor()->constraintEqualToAnchor(slider->bottomAnchor(), b),
        resetColor->widthAnchor()->constraintEqualToConstant(150),
        resetColor->heightAnchor()->constraintEqualToConstant(60),
        resetColor->trailingAnchor()->constraintEqualToAnchor(page.trailingAnchor(), -a),
        resetColor->topAnchor()->constraintEqualToAnchor(slider->bottomAnchor(), b),
    });

    host.set_backgroundImageTitleLabel(imageTitle);
    host.set_backgroundImageButton(choose);
    host.set_backgroundColorTitleLabel(colorTitle);
    host.set_backgroundColorSlider(slider);
    host.set_resetBackgroundImageButton(resetImage);
    host.set_resetBackgroundColorButton(resetColor);
}

void buildDrawingPage(FlintHost& host, ios::UIView& page) {
    // Strokes stay invisible until a colour is chosen on the slider.
    if (auto drawing = host.drawingView()) drawing->setLineColor(ios::UIColor::clearColor());

    struct Tool {
        HostProperty button, icon;
        const char* image;
        double side;
        const char* action;
    };
    auto make = [&](const Tool& t, ios::UIColorRef tint = nullptr) {
        auto button = addConstrained(page, makeRoundedButton(host, 25, t.action));
        auto icon = addIcon(*button, t.image, t.side, std::move(tint));
        host.set(t.button, button);
        host.set(t.icon, icon);
        activate({button->widthAnchor()->constraintEqualToConstant(50),
                  button->heightAnchor()->constraintEqualToConstant(50)});
        return button;
    };
    using P = HostProperty;
    auto reset = make({P::drawingResetButton, P::drawingResetImage, "clear.png", 25, "drawingResetAction"},
                      ios::UIColor::redColor());
    auto undo = make({P::drawingUndoButton, P::drawingUndoImage, "undo.png", 30, "drawingUndoAction"});
    auto redo = make({P::drawingRedoButton, P::drawingRedoImage, "redo.png", 30, "drawingRedoAction"});
    auto circle = make({P::drawingCircleButton, P::drawingCircleImage, "circle.png", 25, "drawingCircleAction"});
    auto square = make({P::drawingSquareButton, P::drawingSquareImage, "square.png", 25, "drawingSquareAction"});
    auto pen = make({P::drawingPenButton, P::drawingPenImage, "pen.png", 25, "drawingPenAction"});
    auto arrow = make({P::drawingArrowButton, P::drawingArrowImage, "arrow.png", 25, "drawingArrowAction"});
    auto text = make({P::drawingTextButton, P::drawingTextImage, "text.png", 25, "drawingTextAction"});

    auto slider = objc::make<FlintColorSlider>(ios::CGRectZero);
    slider->addTarget(host.self(), objc::sel("drawingColorSlider:"), ios::UIControlEventValueChanged);
    addConstrained(page, slider);
    host.set_drawingColorSlider(slider);

    activate({
        reset->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        reset->topAnchor()->constraintEqualToAnchor(page.topAnchor(), 30),
        undo->topAnchor()->constraintEqualToAnchor(page.topAnchor(), 30),
        undo->trailingAnchor()->constraintEqualToAnchor(reset->leadingAnchor(), -30),
        redo->topAnchor()->constraintEqualToAnchor(page.topAnchor(), 30),
        redo->leadingAnchor()->constraintEqualToAnchor(reset->trailingAnchor(), 30),
        circle->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        circle->topAnchor()->constraintEqualToAnchor(reset->bottomAnchor(), 20),
        square->topAnchor()->constraintEqualToAnchor(reset->bottomAnchor(), 20),
        square->trailingAnchor()->constraintEqualToAnchor(circle->leadingAnchor(), -20),
        pen->topAnchor()->constraintEqualToAnchor(reset->bottomAnchor(), 20),
        pen->trailingAnchor()->constraintEqualToAnchor(square->leadingAnchor(), -20),
        arrow->topAnchor()->constraintEqualToAnchor(reset->bottomAnchor(), 20),
        arrow->leadingAnchor()->constraintEqualToAnchor(circle->trailingAnchor(), 20),
        text->topAnchor()->constraintEqualToAnchor(reset->bottomAnchor(), 20),
        text->leadingAnchor()->constraintEqualToAnchor(arrow->trailingAnchor(), 20),
        slider->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        slider->widthAnchor()->constraintEqualToConstant(250),
        slider->topAnchor()->constraintEqualToAnchor(circle->bottomAnchor(), 50),
    });
}

void buildToolCard(FlintHost& host, const ScreenMetrics& m, ios::UIView& editor) {
    auto card = objc::make<StyledFlintView>(ios::CGRectMake(m.W / 2, 0, m.W, 0.6 * m.H));
    card->handleView()->setFrame(ios::CGRectMake(0, 0, m.W, 80));
    card->pillView()->setBackgroundColor(showcasePillColor());
    card->pillView()->layer()->setCornerRadius(5);
    card->setBackgroundColor(showcaseToolColor());
    card->layer()->setCornerRadius(20);
    card->setClipsToBounds(true);
    card->setOpenedCenter(toolCardOpenedCenter(m.W, m.H));
    card->setClosedCenter(toolCardClosedCenter(m.W, m.H));
    editor.addSubview(card);
    card->setCenter(card->closedCenter());
    host.set_toolCardView(card);

    auto scroll = makePagedScrollView(host);
    host.set_toolScrollView(scroll);

    const ios::CGSize size = card->frame().size;
    for (int i = 0; i < kShowcaseToolPageCount; ++i) {
        auto page = makePage(ios::CGRectMake(size.width * i, 0, size.width, size.height), i + 1);
        scroll->addSubview(page);
        host.set_toolContentView(page);
        switch (i + 1) {
        case 1: buildImagePage(host, m, *page); break;
        case 2: buildBackgroundPage(host, m, *page); break;
        case 3: buildDrawingPage(host, *page); break;
        default: buildTransformPage(host, *page, i + 1); break;
        }
    }

    scroll->setContentSize(ios::CGSizeMake(size.width * kShowcaseToolPageCount, size.height - kToolCardScrollTop));
    card->addSubview(scroll);
    pinToEdges(*scroll, *card, kToolCardScrollTop);
}

void setTool(FlintHost& host, FlintDrawingToolType tool) {
    if (auto drawing = host.drawingView()) drawing->setDrawTool(tool);
}

}  // namespace

ios::CGPoint toolCardOpenedCenter(double W, double H) { return ios::CGPointMake(W / 2, 0.8 * H); }
ios::CGPoint toolCardClosedCenter(double W, double H) {
    return ios::CGPointMake(W / 2, H + closedCardDrop(screenClassForHeight(H)));
}

void launchShowcaseEditor(FlintHost& host) {
    host.set(HostProperty::showcaseWindow, nullptr);
    const ScreenMetrics m = ScreenMetrics::current();

    auto window = objc::make<ios::UIWindow>(ios::CGRectMake(0, 0, m.W, m.H));
    window->setWindowLevel(screens::statusBarWindowLevel(host) + kShowcaseWindowLevelAboveStatusBar);
    window->makeKeyAndVisible();
    auto root = objc::make<ios::UIViewController>();
    window->setRootViewController(root);
    host.set_showcaseWindow(window);

    auto controller = objc::make<ios::UIViewController>();
    controller->view()->setBackgroundColor(ios::UIColor::clearColor());
    controller->setModalPresentationStyle(ios::UIModalPresentationStyle::FullScreen);
    root->presentViewController(controller, true);
    host.set_showcaseController(controller);

    auto editor = objc::make<ios::UIView>(ios::CGRectMake(0, 0, m.W, m.H));
    editor->setBackgroundColor(showcaseBackgroundColor());
    editor->setUserInteractionEnabled(true);
    controller->view()->addSubview(editor);
    host.set_showcaseEditorView(editor);

    buildCanvas(host, m, *editor);
    announceBezelKeys(host);
    buildToolCard(host, m, *editor);
}

void dismissShowcaseEditor(FlintHost& host) {
    auto window = host.showcaseWindow();
    if (!window) return;
    ios::UIView::animateWithDuration(kShowcaseDismissDuration, [&] {
        if (auto root = window->rootViewController()) root->dismissViewControllerAnimated(true);
        window->setHidden(true);
    });
}

namespace {
void drawingUndoAction(FlintHost& host) {
    if (auto d = host.drawingView()) d->undoLatestStep();
}
void drawingRedoAction(FlintHost& host) {
    if (auto d = host.drawingView()) d->redoLatestStep();
}
void drawingResetAction(FlintHost& host) {
    if (auto d = host.drawingView()) d->clear();
}
void drawingPenAction(FlintHost& host) { setTool(host, FlintDrawingToolTypePen); }
void drawingArrowAction(FlintHost& host) { setTool(host, FlintDrawingToolTypeArrow); }
void drawingSquareAction(FlintHost& host) { setTool(host, FlintDrawingToolTypeRectangleFill); }
void drawingCircleAction(FlintHost& host) { setTool(host, FlintDrawingToolTypeEllipseFill); }
void drawingTextAction(FlintHost& host) { setTool(host, FlintDrawingToolTypeDraggableText); }
void drawingColorSlider(FlintHost& host, const objc::id& sender) {
    auto slider = objc::cast<FlintColorSlider>(sender);
    if (!slider) slider = host.drawingColorSlider();
    if (auto d = host.drawingView(); d && slider) d->setLineColor(slider->color());
}
}  // namespace

const ActionTable showcaseEditorActions FLINT_ACTION_TABLE = {
    {"launchShowcaseEditor", launchShowcaseEditor}, {"dismissShowcaseEditor", dismissShowcaseEditor},
    {"drawingUndoAction", drawingUndoAction},       {"drawingRedoAction", drawingRedoAction},
    {"drawingResetAction", drawingResetAction},     {"drawingPenAction", drawingPenAction},
    {"drawingSquareAction", drawingSquareAction},   {"drawingCircleAction", drawingCircleAction},
    {"drawingArrowAction", drawingArrowAction},     {"drawingTextAction", drawingTextAction},
    {"drawingColorSlider:", drawingColorSlider},
};

}  // namespace flint
