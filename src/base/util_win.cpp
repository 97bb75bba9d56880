#include "base/util_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

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

void util_close_process(PROCESS_INFORMATION& pi) {
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    pi.hProcess = pi.hThread = nullptr;
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
