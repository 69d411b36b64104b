#include "platform/uikit/UIImagePickerController.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/NSValueBox.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"

namespace ios {

OBJC_CLASS_DEFINE(UIImagePickerInfo, objc::Object)
OBJC_CLASS_DEFINE_WITH(UIImagePickerController, UIViewController, [](objc::Class& cls) {
    cls.addNativeMethod(
        "_pickThumbnail:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
            if (auto button = args.empty() ? nullptr : objc::cast<UIButton>(args[0]))
                static_cast<UIImagePickerController&>(self).pickImageAtIndex(static_cast<std::size_t>(button->tag()));
            return nullptr;
        });
    cls.addNativeMethod("scrollViewDidScroll:", "v@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<UIImagePickerController&>(self).layoutCells();
                            return nullptr;
                        });
    cls.addNativeMethod("_cancelPicking:", "v@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<UIImagePickerController&>(self).cancel();
                            return nullptr;
                        });
})

namespace {
// While the grid moves, a thumbnail is decoded once a frame, so the motion stays smooth.
constexpr double kMovingDecodeInterval = 1.0 / 60;

std::size_t pixelBytes(const UIImage& image) {
    return static_cast<std::size_t>(image.pixelWidth()) * static_cast<std::size_t>(image.pixelHeight()) * 4;
}
}  // namespace

objc::id UIImagePickerInfo::objectForKey(const std::string& key) const {
    auto it = m_objects.find(key);
    return it == m_objects.end() ? nullptr : it->second;
}

std::size_t UIImagePickerController::photoCount() const {
    return m_grid ? m_paths.size() : UIPhotoLibrary::shared().photoCount();
}

bool UIImagePickerController::pickImageAtIndex(std::size_t index) {
    auto paths = m_grid ? m_paths : UIPhotoLibrary::shared().photoPaths();
    if (index >= paths.size()) {
        Process::shared().log().write("Image picker: no photo at index " + std::to_string(index));
        return false;
    }
    return pickImageAtPath(paths[index]);
}

bool UIImagePickerController::pickImageAtPath(const std::filesystem::path& hostPath) {
    auto image = UIPhotoLibrary::shared().imageOfPhoto(hostPath);
    if (!image) {
        Process::shared().log().write("Image picker: cannot read " + hostPath.string());
        return false;
    }
    deliverPick(image, hostPath);
    return true;
}

void UIImagePickerController::deliverPick(const objc::Ref<UIImage>& image, const std::filesystem::path& path) {
    auto keep = shared_from_this();
    auto info = objc::make<UIImagePickerInfo>();
    info->setObject(UIImagePickerControllerOriginalImage, image);
    info->setObject(UIImagePickerControllerImageURL, NSValueBox::box(Value("file://" + path.string())));
    static const objc::SEL picked = objc::sel("imagePickerController:didFinishPickingMediaWithInfo:");
    objc::id d = m_delegate.lock();
    if (d && objc::respondsToSelector(d.get(), picked))
        objc::msgSend(d, picked, shared_from_this(), info);
    else if (presentingViewController())
        dismissViewControllerAnimated(true);
}

void UIImagePickerController::cancel() {
    auto keep = shared_from_this();
    static const objc::SEL cancelled = objc::sel("imagePickerControllerDidCancel:");
    objc::id d = m_delegate.lock();
    if (d && objc::respondsToSelector(d.get(), cancelled))
        objc::msgSend(d, cancelled, shared_from_this());
    else if (presentingViewController())
        dismissViewControllerAnimated(true);
}

void UIImagePickerController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto root = objc::make<UIView>(screen);
    root->setBackgroundColor(UIColor::whiteColor());

    m_paths = UIPhotoLibrary::shared().photoPaths();
    m_cellSide = std::floor(screen.size.width / kColumns);
    m_thumbnailPixels = thumbnailSide();
    m_grid = objc::make<UIScrollView>(CGRectMake(0, kBarHeight, screen.size.width, screen.size.height - kBarHeight));
    m_grid->setBackgroundColor(UIColor::whiteColor());
    m_grid->setShowsHorizontalScrollIndicator(false);
    const auto rows = static_cast<double>((m_paths.size() + kColumns - 1) / kColumns);
    m_grid->setContentSize({screen.size.width, kSpacing + rows * m_cellSide});
    m_grid->setDelegate(shared_from_this());
    root->addSubview(m_grid);
    // The newest photos are the last: the grid opens at its end.
    m_grid->setContentOffset(m_grid->maximumContentOffset());
    layoutCells();

    auto bar = objc::make<UIView>(CGRectMake(0, 0, screen.size.width, kBarHeight));
    bar->setBackgroundColor(m_barBarTint ? m_barBarTint : UIColor::colorWithWhite(0.97, 1));
    root->addSubview(bar);
    auto cancelButton = UIButton::buttonWithType(UIButtonType::System);
    cancelButton->setTitle(std::string("Cancel"), UIControlStateNormal);
    if (m_barTint) cancelButton->setTitleColor(m_barTint, UIControlStateNormal);
    cancelButton->setTitleFont(UIFont::systemFontOfSize(17));
    cancelButton->setFrame(CGRectMake(screen.size.width - 80, kBarHeight - 44, 72, 44));
    cancelButton->addTarget(shared_from_this(), objc::sel("_cancelPicking:"), UIControlEventTouchUpInside);
    bar->addSubview(cancelButton);
    setView(root);
}

int UIImagePickerController::thumbnailSide() {
    const auto screen = UIScreen::mainScreen();
    const double cell = std::floor(screen->bounds().size.width / kColumns) - kSpacing;
    return std::max(1, static_cast<int>(std::ceil(cell * screen->scale())));
}

CGRect UIImagePickerController::frameOfPhotoAtIndex(std::size_t index) const {
    const auto column = static_cast<double>(index % kColumns), row = static_cast<double>(index / kColumns);
    return CGRectMake(m_cellSide * column, kSpacing + m_cellSide * row, m_cellSide - kSpacing, m_cellSide - kSpacing);
}

UIButton* UIImagePickerController::cellForPhotoAtIndex(std::size_t index) const {
    auto it = m_cells.find(index);
    return it == m_cells.end() ? nullptr : it->second.button.get();
}

UIImagePickerController::Cell UIImagePickerController::makeCell() {
    Cell cell;
    cell.button = UIButton::buttonWithType(UIButtonType::Custom);
    cell.button->setBackgroundColor(UIColor::colorWithWhite(0.9, 1));
    cell.button->addTarget(shared_from_this(), objc::sel("_pickThumbnail:"), UIControlEventTouchUpInside);
    // Aspect-filled and clipped, as the platform's grid shows photos.
    cell.image = objc::make<UIImageView>(CGRectMake(0, 0, m_cellSide - kSpacing, m_cellSide - kSpacing));
    cell.image->setContentMode(UIViewContentMode::ScaleAspectFill);
    cell.image->setClipsToBounds(true);
    cell.image->setUserInteractionEnabled(false);
    cell.button->addSubview(cell.image);
    return cell;
}

void UIImagePickerController::layoutCells() {
    if (!m_grid || m_paths.empty() || !(m_cellSide > 0)) return;
    const CGRect visible = m_grid->bounds();
    const double lookahead = visible.size.height / 2;
    auto rowAt = [&](double y) { return static_cast<long long>(std::floor((y - kSpacing) / m_cellSide)); };
    const auto count = static_cast<long long>(m_paths.size());
    auto firstOfRow = [&](long long row) {
        return static_cast<std::size_t>(std::clamp<long long>(row * kColumns, 0, count));
    };
    const std::size_t first = firstOfRow(rowAt(visible.origin.y - lookahead));
    const std::size_t end = firstOfRow(rowAt(visible.origin.y + visible.size.height + lookahead) + 1);
    m_firstOnScreen = firstOfRow(rowAt(visible.origin.y));
    m_endOnScreen = firstOfRow(rowAt(visible.origin.y + visible.size.height) + 1);

    for (auto it = m_cells.begin(); it != m_cells.end();) {
        if (it->first >= first && it->first < end) {
            ++it;
            continue;
        }
        it->second.button->removeFromSuperview();
        it->second.image->setImage(nullptr);
        m_spareCells.push_back(std::move(it->second));
        it = m_cells.erase(it);
    }
    bool missing = false;
    for (std::size_t index = first; index < end; ++index) {
        if (m_cells.count(index)) continue;
        Cell cell;
        if (m_spareCells.empty()) {
            cell = makeCell();
        } else {
            cell = std::move(m_spareCells.back());
            m_spareCells.pop_back();
        }
        cell.button->setFrame(frameOfPhotoAtIndex(index));
        cell.button->setTag(static_cast<int>(index));
        auto thumbnail = cachedThumbnail(index);
        cell.image->setImage(thumbnail);
        missing = missing || (!thumbnail && !m_undecodable.count(index));
        m_grid->addSubview(cell.button);
        m_cells.emplace(index, std::move(cell));
    }
    if (missing) scheduleDecoding();
}

objc::Ref<UIImage> UIImagePickerController::cachedThumbnail(std::size_t index) {
    auto it = m_thumbnails.find(index);
    if (it == m_thumbnails.end()) return nullptr;
    m_thumbnailUse.splice(m_thumbnailUse.begin(), m_thumbnailUse, it->second.use);
    return it->second.image;
}

void UIImagePickerController::keepThumbnail(std::size_t index, const objc::Ref<UIImage>& image) {
    m_thumbnailUse.push_front(index);
    m_thumbnails[index] = {image, m_thumbnailUse.begin()};
    m_thumbnailBytes += pixelBytes(*image);
    // The least recently shown go first; those in place stay (their cells hold them anyway).
    for (auto use = m_thumbnailUse.end(); m_thumbnailBytes > kThumbnailBudget && use != m_thumbnailUse.begin();) {
        --use;
        if (m_cells.count(*use)) continue;
        auto gone = m_thumbnails.find(*use);
        m_thumbnailBytes -= pixelBytes(*gone->second.image);
        m_thumbnails.erase(gone);
        use = m_thumbnailUse.erase(use);
    }
}

std::size_t UIImagePickerController::thumbnailsPending() const {
    std::size_t pending = 0;
    for (const auto& [index, cell] : m_cells)
        if (!m_thumbnails.count(index) && !m_undecodable.count(index)) ++pending;
    return pending;
}

bool UIImagePickerController::decodeNextThumbnail() {
    // On screen first, newest first; then the cells about to come on screen, nearest first.
    std::size_t wanted = m_paths.size();
    double best = 0;
    for (const auto& [index, cell] : m_cells) {
        if (m_thumbnails.count(index) || m_undecodable.count(index)) continue;
        double distance = index < m_firstOnScreen  ? double(m_firstOnScreen - index)
                          : index >= m_endOnScreen ? double(index - m_endOnScreen + 1)
                                                   : -double(index);
        if (wanted == m_paths.size() || distance < best) wanted = index, best = distance;
    }
    if (wanted == m_paths.size()) return false;
    auto thumbnail = UIPhotoLibrary::shared().thumbnailOfPhoto(m_paths[wanted], m_thumbnailPixels);
    ++m_thumbnailsDecoded;
    if (!thumbnail) {
        Process::shared().log().write("Image picker: cannot show " + m_paths[wanted].filename().string());
        m_undecodable.insert(wanted);
        return true;
    }
    keepThumbnail(wanted, thumbnail);
    if (auto it = m_cells.find(wanted); it != m_cells.end()) it->second.image->setImage(thumbnail);
    return true;
}

void UIImagePickerController::scheduleDecoding() {
    if (m_decodingScheduled) return;
    m_decodingScheduled = true;
    const bool moving = m_grid && (m_grid->isDragging() || m_grid->isDecelerating());
    objc::WeakRef<objc::Object> weak = shared_from_this();
    Process::shared().runLoop().scheduleAfter(moving ? kMovingDecodeInterval : 0, [weak] {
        auto self = objc::cast<UIImagePickerController>(weak.lock());
        if (!self) return;
        self->m_decodingScheduled = false;
        if (self->isBeingDismissed()) return;
        if (self->decodeNextThumbnail()) self->scheduleDecoding();
    });
}

}  // namespace ios
