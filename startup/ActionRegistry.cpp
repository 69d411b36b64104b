#include "startup/ActionRegistry.h"

namespace flint {

void Action::invoke(FlintHost& host, const objc::id& a, const objc::id& b) const {
    if (plain) plain(host);
    else if (withSender) withSender(host, a);
    else if (withTwo) withTwo(host, a, b);
}

const std::vector<const ActionTable*>& allActionTables() {
    // Each subsystem adds its screens' tables here as it is built.
    static const std::vector<const ActionTable*> tables = {};
    return tables;
}

}  // namespace flint
