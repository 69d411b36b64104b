#pragma once
// The image picker over the device's photo library. It shows the library's photos as a scrolling
// grid of thumbnails, oldest first, opening scrolled to the end so the newest show; a tap on one
// picks it. Only the cells on screen and half a screen either side exist (reused as the grid
// scrolls); their thumbnails come from the library's thumbnail store (made there at cell size when
// missing), one per turn of the run loop (one per frame while the grid moves), nearest the screen
// first, and are kept in a cache of fixed size. Only the picked photo is decoded at full size. pickImageAtIndex / pickImageAtPath / cancel are the same
// choices made directly. Picking sends imagePickerController:didFinishPickingMediaWithInfo: with
// the image under "UIImagePickerControllerOriginalImage"; cancelling sends
// imagePickerControllerDidCancel:. Each goes to the delegate (held weakly) only when it
// implements the selector; a picker whose delegate does not dismisses itself.

#include <cstdint>
#include <filesystem>
#include <list>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIViewController.h"

namespace ios {

inline const std::string UIImagePickerControllerOriginalImage = "UIImagePickerControllerOriginalImage";
inline const std::string UIImagePickerControllerImageURL = "UIImagePickerControllerImageURL";

enum class UIImagePickerControllerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

// The info dictionary of a pick: objects by key.
class UIImagePickerInfo : public objc::Object {
    OBJC_CLASS_DECLARE(UIImagePickerInfo)
public:
    objc::id objectForKey(const std::string& key) const;
    void setObject(const std::string& key, objc::id object) { m_objects[key] = std::move(object); }
    const std::map<std::string, objc::id>& objects() const { return m_objects; }

protected:
    UIImagePickerInfo() = default;

private:
    std::map<std::string, objc::id> m_objects;
};

class UIButton;
class UIImageView;
class UIScrollView;

class UIImagePickerController : public UIViewController {
    OBJC_CLASS_DECLARE(UIImagePickerController)
public:
    objc::id delegate() const { return m_delegate.lock(); }
    void setDelegate(const objc::id& delegate) { m_delegate = delegate; }
    bool allowsEditing() const { return m_allowsEditing; }
    void setAllowsEditing(bool allows) { m_allowsEditing = allows; }
    UIImagePickerControllerSourceType sourceType() const { return m_sourceType; }
    void setSourceType(UIImagePickerControllerSourceType type) { m_sourceType = type; }
    static bool isSourceTypeAvailable(UIImagePickerControllerSourceType type) {
        return type != UIImagePickerControllerSourceType::Camera;
    }

    // The navigation bar's tints.
    UIColorRef navigationBarTintColor() const { return m_barTint; }
    void setNavigationBarTintColor(UIColorRef color) { m_barTint = std::move(color); }
    UIColorRef navigationBarBarTintColor() const { return m_barBarTint; }
    void setNavigationBarBarTintColor(UIColorRef color) { m_barBarTint = std::move(color); }
    UIColorRef navigationBarTitleColor() const { return m_titleColor; }
    void setNavigationBarTitleColor(UIColorRef color) { m_titleColor = std::move(color); }

    std::size_t photoCount() const;
    // False (with a log line) when there is no such photo.
    bool pickImageAtIndex(std::size_t index);
    bool pickImageAtPath(const std::filesystem::path& hostPath);
    void cancel();

    void loadView() override;

    // --- the grid ---
    static constexpr int kColumns = 4;
    static constexpr double kBarHeight = 88;
    static constexpr double kSpacing = 2;
    // Thumbnails kept at most (bytes of pixels).
    static constexpr std::size_t kThumbnailBudget = 32u << 20;
    // The side in pixels of a cell's thumbnail on the main screen.
    static int thumbnailSide();

    UIScrollView* gridView() const { return m_grid.get(); }
    // The cell showing photo `index` (a button tagged with the index), or null when it is not
    // among the cells in place.
    UIButton* cellForPhotoAtIndex(std::size_t index) const;
    // Where photo `index`'s cell lies in the grid's content.
    CGRect frameOfPhotoAtIndex(std::size_t index) const;
    // Places the cells for the grid's current offset and asks for the thumbnails they lack.
    void layoutCells();
    // Decodes the most wanted missing thumbnail; false when none is wanted.
    bool decodeNextThumbnail();
    std::size_t thumbnailsPending() const;
    std::size_t thumbnailBytes() const { return m_thumbnailBytes; }
    std::size_t thumbnailsDecoded() const { return m_thumbnailsDecoded; }

protected:
    UIImagePickerController() = default;

private:
    struct Cell {
        objc::Ref<UIButton> button;
        objc::Ref<UIImageView> image;
    };
    struct Thumbnail {
        objc::Ref<UIImage> image;
        std::list<std::size_t>::iterator use;
    };

    void deliverPick(const objc::Ref<UIImage>& image, const std::filesystem::path& path);
    Cell makeCell();
    objc::Ref<UIImage> cachedThumbnail(std::size_t index);
    void keepThumbnail(std::size_t index, const objc::Ref<UIImage>& image);
    void scheduleDecoding();

    objc::WeakRef<objc::Object> m_delegate;
    bool m_allowsEditing = false;
    UIImagePickerControllerSourceType m_sourceType = UIImagePickerControllerSourceType::PhotoLibrary;
    UIColorRef m_barTint, m_barBarTint, m_titleColor;

    std::vector<std::filesystem::path> m_paths;  // listed when the grid is built
    objc::Ref<UIScrollView> m_grid;
    double m_cellSide = 0;
    int m_thumbnailPixels = 0;
    std::map<std::size_t, Cell> m_cells;  // by photo index
    std::vector<Cell> m_spareCells;
    std::size_t m_firstOnScreen = 0, m_endOnScreen = 0;  // photos whose cells are on screen
    std::unordered_map<std::size_t, Thumbnail> m_thumbnails;
    std::list<std::size_t> m_thumbnailUse;  // most recently used first
    std::size_t m_thumbnailBytes = 0;
    std::size_t m_thumbnailsDecoded = 0;
    std::set<std::size_t> m_undecodable;
    bool m_decodingScheduled = false;
};

}  // namespace ios
