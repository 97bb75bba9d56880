// Writing a file so that a crash, a kill or a full disk never leaves it missing or half written:
// the data goes to a fresh temporary file in the same folder, is flushed to the disk, and is then
// moved over the target in one step. Portable (the Windows build uses the Win32 file calls).
#pragma once

#include <string>
#include <string_view>

// On failure `name` is untouched, the temporary file is removed and *reason holds the system's
// own text for what went wrong (a full disk says so). Leftovers of earlier interrupted saves in
// the folder are removed first.
bool file_write_replace(const std::string& name, std::string_view data, std::string* reason);

// True for a temporary file name (without folder) that file_write_replace makes: "~vs" followed
// by eight hex digits and ".tmp".
bool file_is_save_temp(std::string_view file_name);

// Tests: the next writes fail with this system error code (ENOSPC, ERROR_DISK_FULL ...) after
// `after_bytes` bytes; 0 turns it off.
void file_save_fail_writes(int error_code, size_t after_bytes = 0);
