#include "base/globals_win.h"

HINSTANCE app_inst_ = nullptr;
HWND main_inst_ = nullptr;
HWND view_inst_ = nullptr;
HWND tbar_inst_ = nullptr;
HWND status_inst_ = nullptr;
HWND toolbox_inst_ = nullptr;
HWND tip_inst_ = nullptr;
TextBoxInst textbox_inst_;
std::vector<TwInst> tw_inst_;
FocusedTw focused_tw_;
std::vector<DlgInst> modelessdlg_inst_;
std::vector<DlgInst> modaldlg_inst_;

HWND dlg_find_modeless(int dlg_id) {
    for (const auto& d : modelessdlg_inst_)
        if (d.dlg_id == dlg_id) return d.win;
    return nullptr;
}

int view_send_user(int code, int param) {
    if (!view_inst_) return -1;
    return static_cast<int>(SendMessageA(view_inst_, WM_VORN_USER, static_cast<WPARAM>(code), static_cast<LPARAM>(param)));
}
