// FILE: the current document's name and state, history, file names and small file services
// (portable part). The dialogs and commands are in file_win.cpp.
#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr char kUntitled[] = "untitled.vrn";
constexpr char kHomeFileName[] = "index.vrn";

// ---- The program directory (trailing backslash); set at start-up.
void file_set_progdir(const std::string& dir);
std::string file_progdir_path(const std::string& name = {});
inline std::string file_progdir_path2(const std::string& name = {}) { return file_progdir_path(name); }

// ---- Names.
// Lower-case of the whole name (ANSI).
std::string file_lower(std::string_view name);
// The directory part with its trailing separator ("" when none).
std::string file_dir_part(std::string_view name);
std::string file_name_part(std::string_view name);
// The extension with its dot, lower-case ("" when none).
std::string file_ext(std::string_view name);
// `name` with its extension replaced by `ext` (which includes the dot).
std::string file_with_ext(std::string_view name, std::string_view ext);
// Name when it contains ':' (or starts with a separator), else dir + name.
std::string file_full_path(std::string_view dir, std::string_view name);
// ".ide" becomes ".vrn", no extension gets ".vrn", ".vrn" stays; another extension: nullopt.
std::optional<std::string> file_vrn_name_of(std::string_view in);
// The same with the error note "File extension not valid".
std::optional<std::string> file_vrn_name(std::string_view in);
bool file_exists(const std::string& name);
// Before the program writes a file the user did not name as the document to save: true when
// `name` does not exist, or the user answers Yes to "<name> exists. Replace it?" (titled
// `title`, No the default button). The caller goes back to its choice on false.
bool file_may_replace(const std::string& name, const std::string& title);
bool file_is_folder(const std::string& name);
// The message for a file that could not be read or written, `what` being "Loading %s" or
// "Saving %s"; a name that is a folder's says so.
std::string file_failed_text(const char* what, const std::string& name);

// ---- The current document.
// "" when none is current. A new document's name is "untitled.vrn" in the folder it was
// started from, and it stays untitled until it is saved or another document opens: a real
// file of that name is a document like any other.
const std::string& file_current_name();
void file_set_current_name(const std::string& full_name, bool untitled = false);
struct CurrentFile { std::string full, dir; };
// The full name and its directory; nullopt when no document is current.
std::optional<CurrentFile> file_current();
// No document, or a new one that has no file yet.
bool file_is_untitled();

// A run-time lock: no backups and no save question while set.
void file_set_locked(bool on);
bool file_locked();

// Main title from the document name, changed mark, text setting 22 and the return depth.
std::string file_title_text(const std::string& name, bool changed, const std::string& title22, int sub_depth);

// Directory of `name` when it holds ':' and exists, else the current document's directory.
std::string file_dir_of(const std::string& name);
// The full path of `name` taken relative to the current document; an empty name gives
// "Filename is empty%s" and nullopt.
std::optional<std::string> file_resolve(const std::string& name);
// The first existing of name, progdir + name, document dir + name, home dir + name.
std::optional<std::string> file_locate(const std::string& name);

// ---- Files.
// Whole text; a name ending in "untitled.txt" is ""; a read error shows "Loading %s" and fails.
std::optional<std::string> file_read_text(const std::string& name);
// At most `max` bytes of a file, from its start (cut after its last whole line) or from its end;
// nullopt, quietly, when it cannot be read.
std::optional<std::string> file_read_part(const std::string& name, size_t max, bool tail);
// How much of a list file (checklists, sayings) is read: a huge file must not stall the program.
constexpr size_t kFileListCap = 1 << 20;
// The line that holds a random character position (program directory unless there is a drive),
// among the first kFileListCap bytes; fails when unreadable or empty.
std::optional<std::string> file_random_line(const std::string& name);
// Exists: true; else writes `text`; a failed write shows "Saving %s" and fails.
bool file_create_if_missing(const std::string& name, const std::string& text);
// A file opened for writing; "Opening %s" and null on failure.
std::unique_ptr<std::ofstream> file_open_output(const std::string& name);
// Setting "TempFile", default program directory + "vorn.tmp".
std::string file_temp_name();
// The file's time stamp as days since 1980 (1 January 1980 = 1) plus the time of day as a
// fraction; a missing file shows "Cannot find <name>" and gives 0.0.
double file_time_days(const std::string& name);
// Copies `from` to `to`, replacing it; false when it could not.
bool file_copy(const std::string& from, const std::string& to);

// Home file: setting "HomeFile", default program directory + "index.vrn".
std::string file_home_name();

// ---- Back / Forward through the documents opened in this run.
class FileHistory {
public:
    // A document became current by an ordinary open: forward entries are dropped.
    void visit(const std::string& name);
    bool can_back() const { return pos_ > 0; }
    bool can_forward() const { return pos_ + 1 < items_.size(); }
    // The name to go to, moving the position; nullopt at the end.
    std::optional<std::string> back();
    std::optional<std::string> forward();
    // Undoes the last back()/forward() when opening that document failed.
    void undo_move(int delta);
    const std::vector<std::string>& items() const { return items_; }
    size_t pos() const { return pos_; }
    void clear() { items_.clear(); pos_ = 0; }

private:
    std::vector<std::string> items_;
    size_t pos_ = 0;
};
FileHistory& file_history();

// ---- Encryption: every little-endian 16-bit word XOR the key, the key being the sum of the
// password's character codes mod 65536; an odd last byte XOR the key's low byte. The same
// routine encrypts and decrypts. Obfuscation only.
std::optional<uint16_t> file_crypt_key(std::string_view password);  // nullopt for ""
void file_crypt(std::string& data, uint16_t key);
