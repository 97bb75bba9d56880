#include "base/util_win.h"

#include <windows.h>
#include <mmsystem.h>

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
