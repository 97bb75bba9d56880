#include "base/file_save.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#endif

namespace {

int fail_code_ = 0;
size_t fail_after_ = 0;
uint32_t counter_ = 0;

std::string dir_of(const std::string& name) {
    size_t p = name.find_last_of("\\/:");
    return p == std::string::npos ? std::string() : name.substr(0, p + 1);
}

bool is_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string hex8(uint32_t v) {
    static const char digits[] = "0123456789abcdef";
    std::string s(8, '0');
    for (int k = 7; k >= 0; --k, v >>= 4) s[static_cast<size_t>(k)] = digits[v & 15];
    return s;
}

#ifdef _WIN32

using Handle = HANDLE;
const Handle kNone = INVALID_HANDLE_VALUE;

int last_error() { return static_cast<int>(GetLastError()); }

std::string reason_text(int code) {
    char buf[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code), 0,
                   buf, sizeof buf, nullptr);
    std::string s = buf;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s.empty() ? "error " + std::to_string(code) : s;
}

uint32_t seed() { return GetTickCount() * 2654435761u ^ GetCurrentProcessId() * 40503u; }

// 0, or the error; a name that exists (also as a folder) gives ERROR_FILE_EXISTS.
int create_new(const std::string& path, Handle& h) {
    h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != kNone) return 0;
    int e = last_error();
    if (e == ERROR_ACCESS_DENIED && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_FILE_EXISTS;
    return e;
}

bool is_exists_error(int e) { return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS; }

int write_some(Handle h, const char* p, size_t n) {
    DWORD done = 0;
    if (!WriteFile(h, p, static_cast<DWORD>(n), &done, nullptr)) return last_error();
    return done == n ? 0 : ERROR_DISK_FULL;
}

int flush_close(Handle h) {
    int e = FlushFileBuffers(h) ? 0 : last_error();
    if (!CloseHandle(h) && e == 0) e = last_error();
    return e;
}

void remove_file(const std::string& path) { DeleteFileA(path.c_str()); }

int move_over(const std::string& tmp, const std::string& target) {
    // A hidden or system document stays so.
    DWORD attr = GetFileAttributesA(target.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        SetFileAttributesA(tmp.c_str(), attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    // ReplaceFile is not used: under Wine it can leave the target missing when the program is
    // killed during it; a rename over the target is one step on every file system we run on.
    if (MoveFileExA(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return last_error();
}

// A file still being written by another save is open without sharing, so it cannot be deleted.
void remove_leftovers(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA((dir + "~vs*.tmp").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && file_is_save_temp(fd.cFileName))
            DeleteFileA((dir + fd.cFileName).c_str());
    } while (FindNextFileA(f, &fd));
    FindClose(f);
}

#else

using Handle = int;
const Handle kNone = -1;

int last_error() { return errno; }
std::string reason_text(int code) { return std::strerror(code); }
uint32_t seed() { return static_cast<uint32_t>(std::time(nullptr)) * 2654435761u ^ static_cast<uint32_t>(getpid()) * 40503u; }

int create_new(const std::string& path, Handle& h) {
    h = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return h != kNone ? 0 : last_error();
}

bool is_exists_error(int e) { return e == EEXIST || e == EISDIR; }

int write_some(Handle h, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = write(h, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return last_error();
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return 0;
}

int flush_close(Handle h) {
    int e = fsync(h) == 0 ? 0 : last_error();
    if (close(h) != 0 && e == 0) e = last_error();
    return e;
}

void remove_file(const std::string& path) { unlink(path.c_str()); }

int move_over(const std::string& tmp, const std::string& target) {
    return std::rename(tmp.c_str(), target.c_str()) == 0 ? 0 : last_error();
}

void remove_leftovers(const std::string& dir) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d))
        if (file_is_save_temp(e->d_name)) unlink((dir + e->d_name).c_str());
    closedir(d);
}

#endif

int write_all(Handle h, std::string_view data) {
    size_t limit = fail_code_ ? (fail_after_ < data.size() ? fail_after_ : data.size()) : data.size();
    constexpr size_t kChunk = 1 << 20;
    for (size_t at = 0; at < limit;) {
        size_t n = limit - at < kChunk ? limit - at : kChunk;
        if (int e = write_some(h, data.data() + at, n)) return e;
        at += n;
    }
    return fail_code_;
}

}  // namespace

bool file_is_save_temp(std::string_view n) {
    if (n.size() != 15 || n.substr(0, 3) != "~vs" || n.substr(11) != ".tmp") return false;
    for (char c : n.substr(3, 8))
        if (!is_hex(c)) return false;
    return true;
}

void file_save_fail_writes(int error_code, size_t after_bytes) {
    fail_code_ = error_code;
    fail_after_ = after_bytes;
}

bool file_write_replace(const std::string& name, std::string_view data, std::string* reason) {
    auto fail = [&](int code) {
        if (reason) *reason = reason_text(code);
        return false;
    };
    const std::string dir = dir_of(name);
    remove_leftovers(dir);
    static const uint32_t base = seed();
    std::string tmp;
    Handle h = kNone;
    int err = 0;
    // A name already taken (a user's file, a folder, another copy's save) just means another try.
    for (int tries = 0; tries < 32; ++tries) {
        uint32_t r = (base + ++counter_ * 0x9E3779B9u) * 2246822519u;
        tmp = dir + "~vs" + hex8(r ^ (r >> 15)) + ".tmp";
        err = create_new(tmp, h);
        if (err == 0 || !is_exists_error(err)) break;
    }
    if (err) return fail(err);
    err = write_all(h, data);
    int closed = flush_close(h);
    if (err == 0) err = closed;
    if (err == 0) err = move_over(tmp, name);
    if (err) {
        remove_file(tmp);
        return fail(err);
    }
    return true;
}
