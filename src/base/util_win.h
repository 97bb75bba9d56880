// UTIL, Win32 side: sounds, started programs, file names as the file system knows them and as
// the A calls reach names from the wide-character API, and what a file looks like on disk.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// "" shows "No file/parameter specified"; "Critical Stop", "Exclamation", "Asterisk" and
// "Question" are the system sounds; a ".wav" name is played as a wave file; any other name
// through the media control interface.
void util_play_sound(const std::string& name);
void util_play_error_wav();

// Lets go of what CreateProcess gave. Under Wine a host (Unix) program comes with no process
// handle and a stale thread handle, which may name one of ours (the window station's, and then
// the clipboard stops opening): those are left alone.
void util_close_process(PROCESS_INFORMATION& pi);

// One of the system's cursors (IDC_ARROW, IDC_WAIT...), loaded once: every load asks the system
// for the cursor size again, and cursors are set at each move of the mouse.
HCURSOR util_system_cursor(LPCSTR id);
// MoveWindow, left out when the child is already there: a move to the same place still costs a
// round of messages and of requests to the system.
void util_place_window(HWND win, int x, int y, int cx, int cy);

// `name` with each folder and file written as the disk has it (a drive letter in capitals);
// parts that cannot be found stay as given. A name lower-cased for comparing shows as its user
// wrote it again.
std::string util_disk_case(const std::string& name);

// The code page's exact spelling of `text`, or nullopt when a character has none.
std::optional<std::string> util_ansi_exact(const std::wstring& text);
// An ANSI text in the wide characters the W calls take.
std::wstring util_wide(const std::string& text);
// A file name or path from the wide-character API as the program's A calls reach it: itself when
// the code page holds every character and it fits MAX_PATH, else its short form when that does
// (the file must exist for one). Nullopt when neither: the caller refuses the name, never a cut
// or "?"-spelt one that names another file or none.
std::optional<std::string> util_ansi_path(const std::wstring& path);
// The name as the code page spells it, with "?" for what it lacks: for messages only.
std::string util_ansi_shown(const std::wstring& text);

// The full name of `name` as the file system knows it: "/" made a backslash, "." and ".."
// resolved, short (8.3) names expanded as far as the path exists, a \\?\ prefix dropped, no
// trailing backslash but a root's. "" when no full name can be made. Compare in any case.
std::string util_canonical_path(const std::string& name);
// True when `path` is the folder `dir` or lies in it, however either is spelt: compared by
// canonical name and, where the file system tells, by the identity of the folders on the way
// up (another drive letter, a share or a link for the same folder).
bool util_path_within(const std::string& path, const std::string& dir);
// True when `a` and `b` name one file, however either is spelt (case, "/", short names, another
// drive letter or a link for the same file).
bool util_same_file(const std::string& a, const std::string& b);

// Size and last write time of a file, to tell whether it was rewritten since it was read.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0, time = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp file_stamp(const std::string& path);
