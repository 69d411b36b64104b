#include "startup/entry/ActionRegistry.h"

#include "panel/CountdownTimers.h"
#include "panel/NowPlayingCard.h"
#include "panel/PanelWindow.h"
#include "panel/ShortcutActions.h"
#include "showcase/ShowcaseEditor.h"
#include "showcase/ShowcaseImages.h"
#include "showcase/ShowcasePicker.h"
#include "showcase/TransformControls.h"

namespace flint {

const std::vector<const ActionTable*>& allActionTables() {
    // Each subsystem adds its screens' tables here as it is built.
    static const std::vector<const ActionTable*> tables = {
        &panelWindowActions,    &shortcutActions,       &countdownActions, &nowPlayingActions,
        &showcasePickerActions, &showcaseEditorActions, &transformActions, &showcaseImageActions,
    };
    return tables;
}

}  // namespace flint
