// The object and link dialogs, the Icon Browser, and what they need from the floors above,
// installed at start-up by those floors (null: that part is left out).
#pragma once

#include <windows.h>

#include <string>

struct ElementsDlgHooks {
    // Presses the button of `code` in toolbox group `group` (4 objects, 5 routes, 6 weights).
    bool (*toolbox_press)(int group, int code) = nullptr;
    void (*tbar_refresh)() = nullptr;
    void (*help_context)(int n) = nullptr;
    // The Picture Browser: true with the chosen file. It shows the names ending in `filter`
    // (all for "") in `start_dir` ("": the folder of the picture it remembers). Unset: the
    // common open-file dialog.
    bool (*picture_browse)(HWND owner, const std::string& filter, const std::string& start_dir,
                           std::string* file) = nullptr;
};
extern ElementsDlgHooks elements_dlg_hooks_;

// Ctrl+click and the pop-up items open the properties dialog of an item's kind (1 object,
// 2 link, 3 shape, 4 point); a and b say which item (object key; link ends; ...).
using PropsDialog = void (*)(HWND parent, int a, int b);
void elements_set_props_dialog(int kind, PropsDialog dialog);
// Has the signature of the view's properties hook.
void elements_open_props(HWND parent, int kind, int a, int b);

// Object Properties for the first marked object; true when OK stored a change.
bool obj_properties(HWND parent);
// Link Properties for the first marked link; true when OK changed the link.
bool link_properties(HWND parent);
void link_defaults_dialog(HWND parent);
void obj_defaults_dialog(HWND parent);
void obj_cluster_settings(HWND parent);
void obj_sequence_settings(HWND parent);
// The Icon Browser; true when the user ended it with Insert on an icon (read it with
// icon_current_get). Cancel puts back the icon current before.
bool icon_browse(HWND parent);

// Registers the dialogs' menu commands (elements_init).
void elements_dialogs_init();
