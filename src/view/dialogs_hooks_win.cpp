#include "view/dialogs_hooks_win.h"

#include "bars/help_context.h"
#include "bars/sbar.h"
#include "bars/tbar_win.h"
#include "bars/toolbox.h"
#include "elements/bg_dialog_win.h"
#include "elements/bg_transition_win.h"
#include "elements/elements_dlg_win.h"
#include "view/view_win.h"

void view_install_element_dialogs() {
    view_set_properties_hook(elements_open_props);
    elements_dlg_hooks_.toolbox_press = toolbox_press;
    elements_dlg_hooks_.tbar_refresh = tbar_refresh;
    elements_dlg_hooks_.help_context = help_context;
    bg_dialog_set_level_hook([] { return sbar_view_state().level; });
    bg_transition_set_hooks({[] { return sbar_view_state().zoom; }, [](int z) { sbar_cmd(kSbarZoom, kSbSet, z); }});
}
