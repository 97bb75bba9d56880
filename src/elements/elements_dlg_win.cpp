#include "elements/elements_dlg_win.h"

#include "base/commands_win.h"
#include "base/globals_win.h"
#include "document/globals.h"
#include "elements/icon.h"
#include "resources/ids.h"

ElementsDlgHooks elements_dlg_hooks_;

namespace {

PropsDialog g_props[5] = {};

HWND owner() { return main_inst_; }

void props_object(HWND parent, int, int) { obj_properties(parent); }
void props_link(HWND parent, int, int) { link_properties(parent); }

bool object_marked() { return !marked_obj_.empty(); }
bool link_marked() { return !marked_link_.empty(); }

void run_object_properties() { obj_properties(owner()); }
void run_link_properties() { link_properties(owner()); }
void run_link_defaults() { link_defaults_dialog(owner()); }
void run_object_defaults() { obj_defaults_dialog(owner()); }
void run_cluster_settings() { obj_cluster_settings(owner()); }
void run_sequence_settings() { obj_sequence_settings(owner()); }

// The chosen icon becomes the object tool, so the next object placed is that icon.
void run_insert_icon() {
    if (!icon_browse(owner())) return;
    int icon = icon_current_get().value_or(0);
    if (icon > 0 && elements_dlg_hooks_.toolbox_press) elements_dlg_hooks_.toolbox_press(4, icon);
}

constexpr int kPopupObjectProperties = 10772;
constexpr int kPopupLinkProperties = 10794;

const Command kCommands[] = {
    {kPopupObjectProperties, run_object_properties, object_marked},
    {kPopupLinkProperties, run_link_properties, link_marked},
    {CMD_LINK_DEFAULTS, run_link_defaults},
    {CMD_OBJECT_DEFAULTS, run_object_defaults},
    {CMD_CLUSTER_SETTINGS, run_cluster_settings},
    {CMD_SEQUENCE_SETTINGS, run_sequence_settings},
    {CMD_INSERT_ICON, run_insert_icon},
};

}  // namespace

void elements_set_props_dialog(int kind, PropsDialog dialog) {
    if (kind >= 1 && kind <= 4) g_props[kind] = dialog;
}

void elements_open_props(HWND parent, int kind, int a, int b) {
    if (kind >= 1 && kind <= 4 && g_props[kind]) g_props[kind](parent, a, b);
}

void elements_dialogs_init() {
    cmd_register_all(kCommands);
    elements_set_props_dialog(1, props_object);
    elements_set_props_dialog(2, props_link);
}
