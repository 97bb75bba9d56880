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

FileStamp file_stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return {};
    return {true, uint64_t{a.nFileSizeHigh} << 32 | a.nFileSizeLow,
            uint64_t{a.ftLastWriteTime.dwHighDateTime} << 32 | a.ftLastWriteTime.dwLowDateTime};
}
