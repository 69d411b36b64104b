#pragma once
// A property-list value as an object, for the places where the platform passes an NSNumber or
// NSString through an object argument (did-stop selectors, target/action arguments).

#include "platform/foundation/Value.h"
#include "platform/objc/Runtime.h"

namespace ios {

class NSValueBox : public objc::Object {
    OBJC_CLASS_DECLARE(NSValueBox)
public:
    static objc::Ref<NSValueBox> box(Value value);
    const Value& value() const { return m_value; }
    void init(Value value) { m_value = std::move(value); }
    using objc::Object::init;

protected:
    NSValueBox() = default;

private:
    Value m_value;
};

// The boxed value of an object argument; none for null or another kind of object.
Value NSValueBoxUnbox(const objc::id& object);

}  // namespace ios
