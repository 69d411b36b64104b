#include "InputTestSupport.h"

namespace ios::testing {

OBJC_CLASS_DEFINE_WITH(ActionCounter, objc::Object, [](objc::Class& cls) {
    cls.addNativeMethod("fire:", "v@:@", [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
        auto& counter = static_cast<ActionCounter&>(self);
        ++counter.count;
        counter.senders.push_back(args.empty() ? nullptr : args[0]);
        if (auto r = args.empty() ? nullptr : objc::cast<UIGestureRecognizer>(args[0]))
            counter.states.push_back(r->state());
        return nullptr;
    });
})

}  // namespace ios::testing
