#include "base/menu_win.h"

#include <set>
#include <vector>

#include "base/commands_win.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/util.h"
#include "resources/ids.h"

namespace {

std::set<int> disabled_;
std::vector<int> settings_ = menu_setting_default();

// The menu bar while a full-screen show has taken it off the window.
HMENU detached_ = nullptr;

HMENU main_menu() {
    if (!main_inst_) return nullptr;
    HMENU m = GetMenu(main_inst_);
    return m ? m : detached_;
}

// Check marks stored in the "Menu" list, by index.
struct CheckSlot { int index; int id; };
const CheckSlot kChecks[] = {
    {menu_setting::Statusbar, CMD_STATUSBAR},   {menu_setting::Scrollbars, CMD_SCROLLBARS},
    {menu_setting::Toolbox, CMD_TOOLBOX},       {menu_setting::WarnDupl, CMD_WARN_DUPL},
    {menu_setting::MultiWin, CMD_MULTI_WINDOWS}, {menu_setting::CheckTyping, CMD_CHECK_TYPING},
    {menu_setting::Wordwrap, CMD_WORDWRAP},
};

}  // namespace

int menu_checked(int id) {
    HMENU m = main_menu();
    if (!m) return 0;
    UINT s = GetMenuState(m, static_cast<UINT>(id), MF_BYCOMMAND);
    return s != 0xFFFFFFFFu && (s & MF_CHECKED) ? 1 : 0;
}

void menu_check(int id, int on_off) {
    if (HMENU m = main_menu()) CheckMenuItem(m, static_cast<UINT>(id), MF_BYCOMMAND | (on_off ? MF_CHECKED : MF_UNCHECKED));
}

void menu_check_radio(int first, int last, int sel) {
    if (sel < first || sel > last) return;
    for (int id = first; id <= last; ++id) menu_check(id, id == sel);
}

int menu_toggle(int id) {
    int on = !menu_checked(id);
    menu_check(id, on);
    return on;
}

bool menu_is_forwarded(int id) {
    return id == CMD_NEW || id == CMD_SAVE || id == CMD_SAVE_AS || (id >= CMD_UNDO && id <= CMD_SELECT_ALL) ||
           (id >= CMD_FIND_TEXT && id <= CMD_REPLACE_TEXT) || (id >= CMD_SPELL_CHECK && id <= CMD_SORT) ||
           (id >= CMD_PARA_LEFT && id <= CMD_PARA_RIGHT);
}

bool menu_command_available(int id) {
    if (disabled_.count(id)) return false;
    if (focused_tw_.win && IsWindow(focused_tw_.win) && menu_is_forwarded(id)) {
        auto fwd = focused_tw_.kind == 7 ? shell_hooks_.rich_forward_menu : shell_hooks_.tw_forward_menu;
        if (fwd) return true;  // the editor adjusts its items itself
    }
    const Command* c = cmd_find(id);
    if (!c) return false;
    return !c->enabled || c->enabled();
}

int menu_is_disabled(int id) { return menu_command_available(id) ? 1 : 0; }

void menu_enable(int id, int flag) {
    if (flag) disabled_.erase(id);
    else disabled_.insert(id);
    if (HMENU m = main_menu())
        EnableMenuItem(m, static_cast<UINT>(id), MF_BYCOMMAND | (menu_command_available(id) ? MF_ENABLED : MF_GRAYED));
}

void menu_disable(int id) { menu_enable(id, 0); }

void menu_apply_state(HMENU menu, bool recursive) {
    int n = GetMenuItemCount(menu);
    for (int k = 0; k < n; ++k) {
        if (HMENU sub = GetSubMenu(menu, k)) {
            if (recursive) menu_apply_state(sub, true);
            continue;
        }
        UINT id = GetMenuItemID(menu, k);
        if (id == 0 || id == 0xFFFFFFFFu) continue;  // separator
        EnableMenuItem(menu, static_cast<UINT>(k),
                       MF_BYPOSITION | (menu_command_available(static_cast<int>(id)) ? MF_ENABLED : MF_GRAYED));
    }
}

void menu_refresh() {
    HMENU m = main_menu();
    if (!m) return;
    for (int k = 0, n = GetMenuItemCount(m); k < n; ++k)
        if (HMENU sub = GetSubMenu(m, k)) menu_apply_state(sub, true);
    if (focused_tw_.win && IsWindow(focused_tw_.win)) SendMessageA(focused_tw_.win, WM_VORN_USER, 4, 0);
}

void menu_bar_show(bool show) {
    if (!main_inst_) return;
    if (!show) {
        if (HMENU m = GetMenu(main_inst_)) {
            detached_ = m;
            SetMenu(main_inst_, nullptr);
        }
    } else if (detached_) {
        SetMenu(main_inst_, detached_);
        detached_ = nullptr;
    }
}

namespace {
int program_commands_ = 0;  // task_menu_cmd calls under way
}  // namespace

void task_menu_cmd(int id) {
    if (!main_inst_) return;
    ++program_commands_;
    SendMessageA(main_inst_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    --program_commands_;
}

bool menu_command_from_program() { return program_commands_ > 0; }

int menu_setting_get(int index) {
    return index >= 0 && index < static_cast<int>(settings_.size()) ? settings_[static_cast<size_t>(index)] : 0;
}

void menu_setting_set(int index, int value) {
    if (index >= 0 && index < static_cast<int>(settings_.size())) settings_[static_cast<size_t>(index)] = value;
}

void menu_settings_load() {
    settings_ = file_setting_get_list_n("Menu", menu_setting_default());
    // Out-of-range values are repaired one by one rather than dropping the whole list.
    const auto& def = menu_setting_default();
    auto fix = [&](int i, int lo, int hi) {
        if (!util_between(settings_[static_cast<size_t>(i)], lo, hi)) settings_[static_cast<size_t>(i)] = def[static_cast<size_t>(i)];
    };
    fix(menu_setting::Orient, 0, 2);
    fix(menu_setting::Palette, 1, 2);
    fix(menu_setting::TipC, 3, 60);
    fix(menu_setting::TipE, 0, 5);
    for (const auto& c : kChecks) menu_check(c.id, settings_[static_cast<size_t>(c.index)] != 0);
    menu_check_radio(CMD_TBAR_LEFT, CMD_TBAR_NONE, CMD_TBAR_LEFT + settings_[menu_setting::Orient]);
    menu_check_radio(CMD_PALETTE1, CMD_PALETTE2, CMD_PALETTE1 + settings_[menu_setting::Palette] - 1);
}

void menu_settings_save() {
    if (main_menu()) {
        for (const auto& c : kChecks) settings_[static_cast<size_t>(c.index)] = menu_checked(c.id);
        for (int k = 0; k < 3; ++k)
            if (menu_checked(CMD_TBAR_LEFT + k)) settings_[menu_setting::Orient] = k;
        settings_[menu_setting::Palette] = menu_checked(CMD_PALETTE2) ? 2 : 1;
    }
    file_setting_set_list("Menu", settings_);
}

TipPrefs tip_prefs_get() {
    return {settings_[menu_setting::TipA], settings_[menu_setting::TipB], settings_[menu_setting::TipC],
            settings_[menu_setting::TipD], settings_[menu_setting::TipE]};
}

void tip_prefs_set(const TipPrefs& p) {
    settings_[menu_setting::TipA] = p.a ? 1 : 0;
    settings_[menu_setting::TipB] = p.b ? 1 : 0;
    settings_[menu_setting::TipC] = util_clamp(p.c, 3, 60);
    settings_[menu_setting::TipD] = p.d ? 1 : 0;
    settings_[menu_setting::TipE] = util_clamp(p.e, 0, 5);
}
