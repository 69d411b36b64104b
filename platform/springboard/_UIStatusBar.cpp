#include "platform/springboard/_UIStatusBar.h"

namespace ios {

OBJC_CLASS_DEFINE_WITH(_UIStatusBar, UIView, [](objc::Class& cls) {
    cls.addNativeMethod("layoutSubviews", "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
        static_cast<_UIStatusBar&>(self).statusBarLayoutSubviews();
        return nullptr;
    });
})

void _UIStatusBar::layoutSubviews() { objc::msgSend(shared_from_this(), objc::sel("layoutSubviews")); }

void _UIStatusBar::statusBarLayoutSubviews() {
    ++m_layoutPasses;
    UIView::layoutSubviews();
}

}  // namespace ios
