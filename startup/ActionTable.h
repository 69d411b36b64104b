#pragma once
// The host object's actions. Each screen exports a table of its actions by selector; the load
// routine adds every table to the status-bar class.

#include <vector>

#include "platform/objc/Runtime.h"
#include "startup/FlintHost.h"

// Action tables are read by the load routine, which runs from the library's initialiser; they
// are therefore initialised ahead of every default-priority initialiser.
#define FLINT_ACTION_TABLE __attribute__((init_priority(101)))

namespace flint {

struct Action {
    using Plain = void (*)(FlintHost&);
    using WithSender = void (*)(FlintHost&, const objc::id&);
    using WithTwo = void (*)(FlintHost&, const objc::id&, const objc::id&);

    Action(const char* selector, Plain f) : selector(selector), plain(f) {}
    Action(const char* selector, WithSender f) : selector(selector), withSender(f) {}
    Action(const char* selector, WithTwo f) : selector(selector), withTwo(f) {}

    const char* selector;
    Plain plain = nullptr;
    WithSender withSender = nullptr;
    WithTwo withTwo = nullptr;

    // The runtime type signature: returns nothing, takes the receiver, the selector and its objects.
    const char* types() const { return withTwo ? "v@:@@" : withSender ? "v@:@" : "v@:"; }
    void invoke(FlintHost& host, const objc::id& a, const objc::id& b) const;
};

using ActionTable = std::vector<Action>;

}  // namespace flint
