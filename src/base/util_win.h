// UTIL, Win32 side: sounds, started programs, file names as the file system knows them and
// what a file looks like on disk.
#pragma once

#include <windows.h>

#include <cstdint>
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

// The full name of `name` as the file system knows it: "/" made a backslash, "." and ".."
// resolved, short (8.3) names expanded as far as the path exists, a \\?\ prefix dropped, no
// trailing backslash but a root's. "" when no full name can be made. Compare in any case.
std::string util_canonical_path(const std::string& name);
// True when `path` is the folder `dir` or lies in it, however either is spelt: compared by
// canonical name and, where the file system tells, by the identity of the folders on the way
// up (another drive letter, a share or a link for the same folder).
bool util_path_within(const std::string& path, const std::string& dir);

// Size and last write time of a file, to tell whether it was rewritten since it was read.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0, time = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp file_stamp(const std::string& path);
