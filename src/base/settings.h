// The settings store: named program-wide values (texts, and integer lists kept as text
// "[a,b,c]"). Portable; the program keeps them in the registry, native tests in memory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the values live.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual std::optional<std::string> get(const std::string& name) = 0;
    virtual bool set(const std::string& name, const std::string& text) = 0;
};

// Installs a backend (not owned); null returns to the built-in memory store.
void settings_set_backend(SettingsBackend* b);
SettingsBackend* settings_backend();
// Empties the built-in memory store (tests).
void settings_memory_clear();

// "[80,1,0,1,0]".
std::string settings_list_text(const std::vector<int>& list);
// Reads "[a,b,c]" (blanks around elements allowed, "[]" is the empty list); nullopt when malformed
// or an element is out of the 32-bit range.
std::optional<std::vector<int>> settings_parse_list(std::string_view text);

// The named integer list; Default when absent or malformed. Callers check the length.
std::vector<int> file_setting_get_list(const std::string& name, const std::vector<int>& def);
// Same, and Default also when the stored list's length differs from Default's.
std::vector<int> file_setting_get_list_n(const std::string& name, const std::vector<int>& def);
void file_setting_set_list(const std::string& name, const std::vector<int>& list);
std::string file_setting_get_text(const std::string& name, const std::string& def);
void file_setting_set_text(const std::string& name, const std::string& text);

// ---- Values the shell keeps.

// "Menu": the menu settings (toolbar layout, check marks, default action, tooltip prefs).
namespace menu_setting {
enum Index {
    Layout, Orient, Statusbar, Scrollbars, Toolbox, WarnDupl, MultiWin, CheckTyping, Wordwrap, Palette,
    DefaultAction, TipA, TipB, TipC, TipD, TipE, Count
};
}
const std::vector<int>& menu_setting_default();

// "Backup": [A, BakOn, Bk2On]; the ".bak" copy runs every A+1 minutes when BakOn.
struct BackupSetting { int minutes_less_1 = 9; bool bak = false; bool bk2 = true; };
BackupSetting backup_setting_get();
void backup_setting_set(const BackupSetting& b);

// A window rectangle and how it is shown.
struct Rect { int left = 0, top = 0, right = 0, bottom = 0; };
struct Placement { int show = 1; Rect r; };
// Moves (and if needed shrinks) `r` so it lies inside `area`; a rectangle smaller than 1 pixel
// gets a sensible size.
Rect rect_clamp_to(const Rect& r, const Rect& area);
// The main window's size when no place is kept, and the least size it is usable at.
constexpr int kMainWidth = 800, kMainHeight = 600, kMainMinWidth = 320, kMainMinHeight = 240;
// The main window's kept rectangle fitted to the work area; one too small to use (a damaged
// setting) takes the first size at its place.
Rect placement_fit(const Rect& kept, const Rect& area);
// "Placement" = [show, left, top, right, bottom]; nullopt when absent or malformed.
std::optional<Placement> placement_get();
void placement_set(const Placement& p);

// Recent files "File1".."File4", newest first.
constexpr int kRecentMax = 4;
std::vector<std::string> recent_files_get();
void recent_files_set(const std::vector<std::string>& list);
// `name` moved or added to the front, duplicates (case-insensitive) removed, at most 4.
std::vector<std::string> recent_files_push(std::vector<std::string> list, const std::string& name);
