#include "startup/ActionTable.h"

namespace flint {

void Action::invoke(FlintHost& host, const objc::id& a, const objc::id& b) const {
    if (plain)
        plain(host);
    else if (withSender)
        withSender(host, a);
    else if (withTwo)
        withTwo(host, a, b);
}

}  // namespace flint
