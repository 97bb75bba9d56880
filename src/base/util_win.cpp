#include "base/util_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/util.h"

void util_play_sound(const std::string& name) {
    if (name.empty()) {
        msg_note("No file/parameter specified");
        return;
    }
    struct Beep { const char* name; UINT type; };
    static const Beep beeps[] = {
        {"Critical Stop", MB_ICONHAND}, {"Exclamation", MB_ICONEXCLAMATION},
        {"Asterisk", MB_ICONASTERISK}, {"Question", MB_ICONQUESTION},
    };
    for (const auto& b : beeps)
        if (name == b.name) {
            MessageBeep(b.type);
            return;
        }
    std::string low = util_lower(name);
    if (low.size() >= 4 && low.compare(low.size() - 4, 4, ".wav") == 0) {
        sndPlaySoundA(name.c_str(), SND_ASYNC | SND_NODEFAULT);
        return;
    }
    // Quoted so that names with blanks reach the media player whole.
    std::string cmd = "play \"" + name + "\"";
    mciSendStringA(cmd.c_str(), nullptr, 0, nullptr);
}

void util_play_error_wav() { MessageBeep(MB_ICONHAND); }

HCURSOR util_system_cursor(LPCSTR id) {
    static std::vector<std::pair<ULONG_PTR, HCURSOR>> loaded;
    const auto key = reinterpret_cast<ULONG_PTR>(id);
    for (const auto& [k, c] : loaded)
        if (k == key) return c;
    HCURSOR c = LoadCursorA(nullptr, id);
    if (c) loaded.emplace_back(key, c);
    return c;
}

void util_place_window(HWND win, int x, int y, int cx, int cy) {
    RECT r;
    if (GetWindowRect(win, &r)) {
        MapWindowPoints(nullptr, GetAncestor(win, GA_PARENT), reinterpret_cast<POINT*>(&r), 2);
        if (r.left == x && r.top == y && r.right - r.left == cx && r.bottom - r.top == cy) return;
    }
    MoveWindow(win, x, y, cx, cy, TRUE);
}

void util_close_process(PROCESS_INFORMATION& pi) {
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    pi.hProcess = pi.hThread = nullptr;
}

std::string util_disk_case(const std::string& name) {
    auto is_sep = [](char c) { return c == '\\' || c == '/'; };
    std::string out;
    size_t at = 0;
    if (name.size() >= 2 && name[1] == ':') {
        const char d = name[0];
        out = {d >= 'a' && d <= 'z' ? static_cast<char>(d - 'a' + 'A') : d, ':'};
        at = 2;
    } else if (name.size() >= 2 && is_sep(name[0]) && is_sep(name[1])) {
        // A share's server and name are the network's, not a folder's.
        size_t share = name.find_first_of("\\/", 2);
        share = share == std::string::npos ? std::string::npos : name.find_first_of("\\/", share + 1);
        if (share == std::string::npos) return name;
        out = name.substr(0, share);
        at = share;
    }
    while (at < name.size()) {
        if (is_sep(name[at])) {
            out += name[at++];
            continue;
        }
        size_t end = name.find_first_of("\\/", at);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(at, end - at);
        WIN32_FIND_DATAA fd;
        HANDLE h = part == "." || part == ".." || part.find_first_of("*?") != std::string::npos
                       ? INVALID_HANDLE_VALUE
                       : FindFirstFileA((out + part).c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            FindClose(h);
            // A short name's long form is another spelling, not another case.
            out += lstrcmpiA(fd.cFileName, part.c_str()) == 0 ? std::string(fd.cFileName) : part;
        } else {
            out += part;
        }
        at = end;
    }
    return out;
}

std::optional<std::string> util_ansi_exact(const std::wstring& w) {
    if (w.empty()) return std::string();
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, &lost);
    if (n <= 0 || lost) return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                        &lost);
    if (lost) return std::nullopt;
    return out;
}

std::wstring util_wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::optional<std::string> util_ansi_path(const std::wstring& path) {
    if (auto a = util_ansi_exact(path); a && a->size() < MAX_PATH) return a;
    // A path past MAX_PATH is only reached with the long-path prefix.
    const std::wstring prefix = L"\\\\?\\";
    const bool drive = path.size() > 2 && path[1] == L':';
    const std::wstring asked = drive && path.size() >= MAX_PATH ? prefix + path : path;
    const DWORD n = GetShortPathNameW(asked.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring shrt(n, L'\0');
    const DWORD got = GetShortPathNameW(asked.c_str(), shrt.data(), n);
    if (got == 0 || got >= n) return std::nullopt;
    shrt.resize(got);
    if (shrt.compare(0, prefix.size(), prefix) == 0) shrt.erase(0, prefix.size());
    if (auto a = util_ansi_exact(shrt); a && a->size() < MAX_PATH) return a;
    return std::nullopt;
}

std::string util_ansi_shown(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                      0, "?", nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n, "?",
                        nullptr);
    return out;
}

namespace {

std::string without_trailing_slash(std::string p) {
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

struct FileId {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> file_id(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION i{};
    bool ok = GetFileInformationByHandle(h, &i) && (i.nFileIndexHigh || i.nFileIndexLow);
    CloseHandle(h);
    if (!ok) return std::nullopt;
    return FileId{i.dwVolumeSerialNumber, i.nFileIndexHigh, i.nFileIndexLow};
}

}  // namespace

std::string util_canonical_path(const std::string& name) {
    std::string n = name;
    std::replace(n.begin(), n.end(), '/', '\\');
    // "\\?\c:\..." and "\\.\c:\..." name a drive path while skipping its normalisation.
    if ((n.rfind("\\\\?\\", 0) == 0 || n.rfind("\\\\.\\", 0) == 0) && n.size() > 5 && n[5] == ':') n.erase(0, 4);
    else if (util_lower(n.substr(0, 8)) == "\\\\?\\unc\\") n.erase(2, 6);
    if (n.empty()) return "";
    char full[MAX_PATH];
    DWORD k = GetFullPathNameA(n.c_str(), MAX_PATH, full, nullptr);
    if (k == 0 || k >= MAX_PATH) return "";
    std::string f = without_trailing_slash(std::string(full, k));
    // Short names are expanded only where the path exists: the longest head that does.
    std::string head = f, tail;
    for (;;) {
        char longer[MAX_PATH];
        DWORD m = GetLongPathNameA(head.c_str(), longer, MAX_PATH);
        if (m > 0 && m < MAX_PATH) {
            f = without_trailing_slash(std::string(longer, m)) + tail;
            break;
        }
        size_t cut = head.find_last_of('\\');
        if (cut == std::string::npos || cut < 3) break;
        tail = head.substr(cut) + tail;
        head.resize(cut);
    }
    return f;
}

bool util_path_within(const std::string& path, const std::string& dir) {
    const std::string p = util_lower(util_canonical_path(path)), d = util_lower(util_canonical_path(dir));
    if (p.empty() || d.empty()) return false;
    const std::string d_slash = d.back() == '\\' ? d : d + "\\";
    if (p == d || p.rfind(d_slash, 0) == 0) return true;
    auto want = file_id(d);
    if (!want) return false;
    for (std::string up = p;;) {
        if (file_id(up) == want) return true;
        // Up to the folder below the drive's root, or a share's: a whole drive is no archive.
        size_t cut = up.find_last_of('\\');
        if (cut == std::string::npos || cut <= 2) return false;
        up.resize(cut);
    }
}

bool util_same_file(const std::string& a, const std::string& b) {
    const std::string x = util_lower(util_canonical_path(a)), y = util_lower(util_canonical_path(b));
    if (x.empty() || y.empty()) return false;
    if (x == y) return true;
    auto id = file_id(x);
    return id && id == file_id(y);
}

FileStamp file_stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return {};
    return {true, uint64_t{a.nFileSizeHigh} << 32 | a.nFileSizeLow,
            uint64_t{a.ftLastWriteTime.dwHighDateTime} << 32 | a.ftLastWriteTime.dwLowDateTime};
}
