#include "app/file_win.h"

#include <commdlg.h>

#include <vector>

#include "app/option_dlg_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "bars/sbar.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/levels.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/bg_transition.h"
#include "elements/bg_transition_win.h"
#include "resources/ids.h"
#include "services/web_win.h"
#include "text/tw_win.h"
#include "view/textbox_win.h"
#include "view/view_win.h"

namespace {

std::vector<std::string> recent_;

// A new document lies in no folder yet.
std::string current_display() { return file_is_untitled() ? std::string(kUntitled) : file_current_name(); }

std::string default_dir() {
    auto cur = file_current();
    return cur ? cur->dir : file_progdir_path();
}

// The file a document name is read from: an older ".ide" of the same name when no ".vrn" exists.
std::string document_source(const std::string& name) {
    if (!file_exists(name)) {
        std::string ide = file_with_ext(name, ".ide");
        if (file_ext(name) == ".vrn" && file_exists(ide)) return ide;
    }
    return name;
}

// An older ".ide" chosen where a ".vrn" of its name lies: the ".vrn" is what opened.
void note_vrn_opened_for(const std::string& chosen, const std::string& vrn) {
    if (file_ext(chosen) == ".ide" && file_exists(vrn))
        msg_note(vrn + " was opened instead of " + file_name_part(chosen) +
                 ": an older .ide file opens only where no .vrn of its name exists.");
}

bool starts_with_http(const std::string& name) {
    return util_lower(name.substr(0, 7)) == "http://";
}

// After a document became current.
void document_opened(const std::string& opened, bool record_history, bool untitled = false, bool reloaded = false) {
    // Names reach here lower-cased from links and lists; titles and questions show the disk's.
    // An untitled document has no file on the disk.
    const std::string name = untitled ? opened : util_disk_case(opened);
    file_set_current_name(name, untitled);
    // The level left behind may not exist here; whoever opened it for a level goes there after.
    // A reload stays where the user was while that level is still in use.
    const auto [lo, hi] = level_range(view_doc());
    const int was = sbar_view_state().level;
    sbar_cmd(kSbarLevel, kSbSet, reloaded && was >= lo && was <= hi ? was : level_on_open(view_doc()));
    view_after_load();
    view_undo_clear();
    file_clear_changed();  // after the history is cleared: the file is its starting point
    // An untitled document has no file to come back to.
    if (record_history && !file_is_untitled()) file_history().visit(name);
    if (!file_is_untitled()) recent_ = recent_files_push(recent_, name);
    file_set_title(name);
    view_repaint();
    if (main_inst_) file_backup_timer_start(main_inst_);
    // Told once the document shows, under its name.
    if (std::string note = view_take_load_note(); !note.empty()) msg_note(note);
}

std::string ask_file_name(bool save, const char* title, const char* filter, const char* def_ext,
                          const std::string& initial) {
    char buf[MAX_PATH] = {};
    lstrcpynA(buf, initial.c_str(), MAX_PATH);
    std::string dir = default_dir();
    OPENFILENAMEA o = {};
    o.lStructSize = sizeof o;
    o.hwndOwner = main_inst_;
    o.lpstrFilter = filter;
    o.lpstrFile = buf;
    o.nMaxFile = MAX_PATH;
    o.lpstrInitialDir = dir.c_str();
    o.lpstrTitle = title;
    o.lpstrDefExt = def_ext;
    o.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL ok = save ? GetSaveFileNameA(&o) : GetOpenFileNameA(&o);
    return ok ? std::string(buf) : std::string();
}

bool save_as() {
    std::string initial = file_is_untitled() ? std::string() : file_name_part(file_current_name());
    for (;;) {
        std::string name = ask_file_name(true, "Save As", "Vorn files (*.vrn)\0*.vrn\0All files (*.*)\0*.*\0",
                                         "vrn", initial);
        if (name.empty()) return false;
        initial = name;
        auto vrn = file_vrn_name_of(name);
        if (!vrn) {
            // Back to the dialog with the name, to mend its extension.
            msg_error(name + "\nFile extension not valid");
            continue;
        }
        // The dialog asked about the name typed, not about the one written.
        if (util_lower(*vrn) != util_lower(name) && !file_may_replace(*vrn, "Save As")) continue;
        return file_save_document(*vrn);
    }
}

bool save_current() {
    if (file_is_untitled()) return save_as();
    return file_save_document(file_current_name());
}

void cmd_new() {
    if (file_ask_save(true) == 3) return;
    file_new_document(default_dir());
}

void cmd_open() {
    if (file_ask_save(true) == 3) return;
    std::string name = ask_file_name(false, "Open File",
                                     "Vorn files (*.vrn)\0*.vrn\0Older Vorn files (*.ide)\0*.ide\0"
                                     "Text files (*.txt)\0*.txt\0Rich text (*.rtf)\0*.rtf\0All files (*.*)\0*.*\0",
                                     "vrn", "");
    if (name.empty()) return;
    std::string ext = file_ext(name);
    if (ext == ".txt" || ext == ".rtf") {
        file_open_by_ext(name);
        return;
    }
    auto vrn = file_vrn_name(name);
    // The save question was answered above.
    if (!vrn || !file_load_document(*vrn)) return;
    document_opened(*vrn, true);
    note_vrn_opened_for(name, *vrn);
}

void cmd_reload() {
    if (file_is_untitled()) return;
    if (file_ask_save(true) == 3) return;
    std::string name = file_current_name();
    if (file_load_document(name)) document_opened(name, false, false, true);
}

void cmd_home() {
    std::string home = file_home_name();
    if (!file_exists(home)) {
        msg_error("Cannot find " + home);
        return;
    }
    file_open_document(home);
}

void go_history(int delta) {
    if (delta < 0 && shell_hooks_.gosub_back && !gosub_.empty() && shell_hooks_.gosub_back()) return;
    FileHistory& h = file_history();
    // From an untitled document, Back returns to the last file without moving further.
    bool stay = delta < 0 && file_is_untitled() && !h.items().empty();
    auto name = stay ? std::optional<std::string>(h.items()[h.pos()]) : delta < 0 ? h.back() : h.forward();
    if (!name) return;
    if (stay) delta = 0;
    if (!file_exists(document_source(*name))) {
        dlg_error_msg("Cannot find %s", *name);
        h.undo_move(delta);
        return;
    }
    if (file_ask_save(true) == 3 || !file_load_document(*name)) {
        h.undo_move(delta);
        return;
    }
    document_opened(*name, false);
}

void cmd_back() { go_history(-1); }
void cmd_forward() { go_history(1); }
void cmd_save() {
    if (file_hand_over(false)) save_current();
}
void cmd_save_as() {
    if (file_hand_over(false)) save_as();
}
void cmd_exit() {
    if (main_inst_) PostMessageA(main_inst_, WM_CLOSE, 0, 0);
}

void open_recent(size_t k) {
    if (k >= recent_.size()) return;
    std::string name = recent_[k];
    if (!file_exists(name) && !starts_with_http(name)) {
        msg_error("Cannot find " + name);
        recent_.erase(recent_.begin() + static_cast<long>(k));
        return;
    }
    file_open_by_ext(name);
}

void cmd_file1() { open_recent(0); }
void cmd_file2() { open_recent(1); }
void cmd_file3() { open_recent(2); }
void cmd_file4() { open_recent(3); }
bool has_file1() { return recent_.size() > 0; }
bool has_file2() { return recent_.size() > 1; }
bool has_file3() { return recent_.size() > 2; }
bool has_file4() { return recent_.size() > 3; }

void cmd_encrypt() {
    std::string name = ask_file_name(false, "Encrypt/Decrypt File", "All files (*.*)\0*.*\0", nullptr, "");
    if (name.empty()) return;
    // Its next Save, or its window's, would write it back in plain text.
    HWND shown = tw_file_window(name);
    if ((!file_is_untitled() && util_same_file(name, file_current_name())) || (shown && tw_entry(shown).mode == 2)) {
        msg_error(name + " is the open document: close it first (open another document or choose New).");
        return;
    }
    if (shown) {
        msg_error(name + " is open in a text window: close it first.");
        return;
    }
    std::string password;
    if (!dlg_password(main_inst_, name, &password)) return;
    std::string err;
    CryptOutcome done = CryptOutcome::either;
    if (!file_crypt_file(name, password, &err, &done)) {
        dlg_error_msg("Saving %s", name + " (" + err + ")");
        return;
    }
    switch (done) {
    case CryptOutcome::refused:
        msg_error(name + " does not read, and this password does not make it read (a wrong password?).\n"
                         "The file was left as it was.");
        break;
    case CryptOutcome::encrypted: msg_note("The file " + name + " was encrypted."); break;
    case CryptOutcome::decrypted: msg_note("The file " + name + " was decrypted."); break;
    case CryptOutcome::either:
        msg_note("The file " + name + " was encrypted or decrypted: a file of this kind cannot be checked, so a "
                 "wrong password scrambles it further. The same password again undoes the change.");
        break;
    }
}

void cmd_files() { dlg_files_open(main_inst_); }
void cmd_snap() { dlg_snap_open(main_inst_); }

// What the text box or an object's window holds is a change Save writes.
bool can_save() {
    return file_is_changed() || file_is_untitled() || textbox_holds_change() ||
           (shell_hooks_.text_holds_change && shell_hooks_.text_holds_change());
}
bool can_reload() { return !file_is_untitled(); }
bool can_back() {
    const FileHistory& h = file_history();
    return h.can_back() || (file_is_untitled() && !h.items().empty()) || (!gosub_.empty() && shell_hooks_.gosub_back);
}
bool can_forward() { return file_history().can_forward(); }

const Command kCommands[] = {
    {CMD_NEW, cmd_new},
    {CMD_OPEN, cmd_open},
    {CMD_RELOAD, cmd_reload, can_reload},
    {CMD_HOME, cmd_home},
    {CMD_BACK, cmd_back, can_back},
    {CMD_FORWARD, cmd_forward, can_forward},
    {CMD_SAVE, cmd_save, can_save},
    {CMD_SAVE_AS, cmd_save_as},
    {CMD_ENCRYPT, cmd_encrypt},
    {CMD_FILE1, cmd_file1, has_file1},
    {CMD_FILE2, cmd_file2, has_file2},
    {CMD_FILE3, cmd_file3, has_file3},
    {CMD_FILE4, cmd_file4, has_file4},
    {CMD_EXIT, cmd_exit},
    {CMD_FILES_SETTINGS, cmd_files},
    {CMD_SNAP, cmd_snap},
};

}  // namespace

bool file_hand_over(bool leaving) {
    textbox_hand_over();
    return !shell_hooks_.text_hand_over || shell_hooks_.text_hand_over(leaving);
}

int file_ask_save(bool leaving) {
    if (!file_hand_over(leaving)) return 3;
    if (!file_is_changed()) return 2;
    // A document marked changed is asked about even during a slideshow or lock: nothing is lost.
    std::string text = util_replace_all("File %s has been changed, save it?", "%s", current_display());
    const std::string asked_about = file_current_name();
    int a = msg_ask_yes_no_cancel(text, "Save File");
    // Opens wait while the box shows; should another document have come in all the same, the
    // answer is not applied to it.
    if (file_current_name() != asked_about) return 3;
    if (a == 1) return save_current() ? 1 : 3;
    return a == 3 ? 3 : 2;
}

void file_set_title(const std::string& name) {
    if (!main_inst_) return;
    std::string n = name.empty() ? file_current_name() : name;
    // An untitled document lies in no folder yet; a file shows as its user named it.
    if (n.empty() || (file_is_untitled() && n == file_current_name())) n = kUntitled;
    int depth = gosub_.empty() ? 0 : gosub_.front().depth;
    std::string t = file_title_text(n, file_is_changed(), view_text_param_get(22), depth);
    // Called after every edit: the caption is only redrawn when its text changes.
    char shown[1024] = {};
    GetWindowTextA(main_inst_, shown, sizeof shown);
    if (t != shown) SetWindowTextA(main_inst_, t.c_str());
}

std::string file_windows_dir() {
    char buf[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
    std::string d = file_lower(std::string(buf, n < MAX_PATH ? n : 0));
    if (!d.empty() && d.back() != '\\') d.push_back('\\');
    return d;
}

bool file_open_by_ext(const std::string& name) {
    if (starts_with_http(name)) {
        if (shell_hooks_.open_url) return shell_hooks_.open_url(name);
        msg_note("Opening documents from the web is not available yet.");
        return false;
    }
    // A relative name inside a copy from the web archive means the file beside its address.
    if (name.find(':') == std::string::npos && !file_is_untitled() &&
        http_in_archive(file_dir_part(file_current_name())))
        return http_open_relative(file_current_name(), name, "", 1);
    std::string ext = file_ext(name);
    if (ext == ".txt") {
        if (shell_hooks_.open_text_file) return shell_hooks_.open_text_file(name);
        msg_note("Text windows are not available yet.");
        return false;
    }
    if (ext == ".rtf") {
        if (shell_hooks_.open_rich_file) return shell_hooks_.open_rich_file(name);
        msg_note("The rich-text editor is not available yet.");
        return false;
    }
    if (ext.empty() || ext == ".vrn" || ext == ".ide") {
        auto vrn = file_vrn_name(name);
        if (!vrn || file_open_document(*vrn) != 1) return false;
        note_vrn_opened_for(name, *vrn);
        return true;
    }
    return false;
}

int file_open_document(const std::string& name) {
    // Nothing to ask about a document that cannot come.
    if (!file_exists(document_source(name))) {
        dlg_error_msg("Cannot find %s", name);
        return 0;
    }
    if (file_ask_save(true) == 3) return 0;
    if (!file_load_document(name)) return 0;
    document_opened(name, true);
    return 1;
}

bool file_load_document(const std::string& name, const std::string& if_refused) {
    const std::string source = document_source(name);
    if (!file_exists(source)) {
        dlg_error_msg("Cannot find %s", name);
        return false;
    }
    // Read whole before anything of the open document goes: a refused file leaves it on
    // screen as it was.
    Document next;
    std::string err;
    if (!view_read_document(source, next, &err)) {
        view_repaint();  // painted while the box shows
        msg_error((err.empty() ? "Loading " + source : err) + (if_refused.empty() ? "" : "\n\n" + if_refused));
        return false;
    }
    if (shell_hooks_.close_text_windows) shell_hooks_.close_text_windows();
    // The document being left plays its closing transition; the new one its opening sound.
    bg_transition(view_inst_, view_param_get(61));
    view_use_document(std::move(next));
    if (slideshow_effects_on() && !view_text_param_get(24).empty()) util_play_sound(view_text_param_get(24));
    return true;
}

bool file_save_document(const std::string& name) {
    // The archive holds copies of what the web served; a clearing by age would delete the user's work.
    if (http_in_archive(file_dir_part(name))) {
        msg_error("Documents are not saved in the web archive (" + http_archive_dir() +
                  "): choose another folder with Save As.");
        return false;
    }
    std::string err;
    bool bk2 = backup_setting_get().bk2;
    if (!view_save_file(name, &err, bk2)) {
        msg_error(err.empty() ? "Saving " + name : err);
        return false;
    }
    if (!err.empty()) msg_note(err);  // the ".bk2" copy failed; the document itself was saved
    // Shown as the disk writes it, whatever case the dialog gave.
    const std::string saved = util_disk_case(name);
    bool same = util_lower(saved) == util_lower(file_current_name());
    file_set_current_name(saved);
    file_clear_changed();
    if (!same || file_history().items().empty()) file_history().visit(saved);
    recent_ = recent_files_push(recent_, saved);
    file_set_title(saved);
    return true;
}

bool file_reload_document(const std::string& if_refused) {
    const std::string name = file_current_name();
    if (!file_load_document(name, if_refused)) return false;
    document_opened(name, false, false, true);
    return true;
}

void file_new_document(const std::string& dir) {
    std::string err;
    if (shell_hooks_.close_text_windows) shell_hooks_.close_text_windows();
    view_load_file("", &err);
    std::string name = (dir.empty() ? file_progdir_path() : dir) + kUntitled;
    document_opened(name, true, true);
}

bool file_crypt_file(const std::string& name, const std::string& password, std::string* error, CryptOutcome* outcome) {
    auto key = file_crypt_key(password);
    if (!key) {
        if (error) *error = "no password";
        return false;
    }
    std::string data;
    bool missing = false;
    if (!view_read_whole(name, data, &missing)) {
        if (error) *error = missing ? "file not found" : "cannot read the file";
        return false;
    }
    CryptOutcome done = view_crypt_text(data, *key, name);
    if (outcome) *outcome = done;
    if (done == CryptOutcome::refused) return true;
    return view_write_replace(name, data, error);
}

void file_register_commands() { cmd_register_all(kCommands); }

void file_backup_timer_start(HWND main) {
    BackupSetting b = backup_setting_get();
    KillTimer(main, kBackupTimer);
    if (b.bak) SetTimer(main, kBackupTimer, static_cast<UINT>(b.minutes_less_1 + 1) * 60000u, nullptr);
}

void file_backup_tick() {
    if (!backup_setting_get().bak || file_locked() || menu_checked(CMD_SLIDESHOW) || file_is_untitled()) return;
    const std::string& name = file_current_name();
    if (!file_exists(name)) return;
    if (!file_copy(name, file_with_ext(name, ".bak"))) dlg_error_msg("Saving %s", file_with_ext(name, ".bak"));
}

void file_recent_load() { recent_ = recent_files_get(); }
const std::vector<std::string>& file_recent_list() { return recent_; }

void file_recent_save() {
    // Another running copy may have stored files since; ours go in front.
    std::vector<std::string> merged = recent_files_get();
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) merged = recent_files_push(merged, *it);
    recent_files_set(merged);
}

void file_recent_menu_update(HMENU menu) {
    // The files sit between Information and Exit, with a separator after them; the menu lists
    // only the files there are, so it is made again each time.
    auto pos_of = [&](UINT id) {
        for (int k = 0, n = GetMenuItemCount(menu); k < n; ++k)
            if (GetMenuItemID(menu, k) == id) return k;
        return -1;
    };
    const int info = pos_of(CMD_INFO), exit = pos_of(CMD_EXIT);
    if (info < 0 || exit <= info) return;
    for (int k = exit - 1; k > info + 1; --k) DeleteMenu(menu, static_cast<UINT>(k), MF_BYPOSITION);
    UINT at = static_cast<UINT>(info + 2);
    for (size_t k = 0; k < recent_.size() && k < static_cast<size_t>(kRecentMax); ++k) {
        std::string label = "&" + std::to_string(k + 1) + " " + util_replace_all(recent_[k], "&", "&&");
        const UINT id = static_cast<UINT>(CMD_FILE1 + static_cast<int>(k));
        InsertMenuA(menu, at++, MF_BYPOSITION | MF_STRING, id, label.c_str());
    }
    if (!recent_.empty()) InsertMenuA(menu, at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}
