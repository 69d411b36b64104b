#include "startup/ActionRegistry.h"

#include "panel/CountdownTimers.h"
#include "panel/NowPlayingCard.h"
#include "panel/PanelWindow.h"
#include "panel/ShortcutActions.h"
#include "showcase/ShowcaseEditor.h"
#include "showcase/ShowcaseImages.h"
#include "showcase/ShowcasePicker.h"
#include "showcase/TransformControls.h"

namespace flint {

void Action::invoke(FlintHost& host, const objc::id& a, const objc::id& b) const {
    if (plain) plain(host);
    else if (withSender) withSender(host, a);
    else if (withTwo) withTwo(host, a, b);
}

const std::vector<const ActionTable*>& allActionTables() {
    // Each subsystem adds its screens' tables here as it is built.
    static const std::vector<const ActionTable*> tables = {
        &panelWindowActions,
        &shortcutActions,
        &countdownActions,
        &nowPlayingActions,
        &showcasePickerActions,
        &showcaseEditorActions,
        &transformActions,
        &showcaseImageActions,
    };
    return tables;
}

}  // namespace flint
