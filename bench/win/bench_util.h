// What the Windows benchmarks share: the clock, the budget line they print, a message pump, a
// second process for measures that need a fresh one, and a large diagram.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "document/document.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double ms_since(Clock::time_point a) { return std::chrono::duration<double, std::milli>(Clock::now() - a).count(); }

// Prints the figure against its budget; false when it is over.
inline bool within(const char* what, double value, double limit, const char* unit = "ms") {
    const bool ok = value <= limit;
    std::printf("[ %s ] %-58s %8.1f %-2s (budget %.0f %s)\n", ok ? "ok  " : "OVER", what, value, unit, limit, unit);
    std::fflush(stdout);
    return ok;
}

inline void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Runs "win_bench <args>" and waits for it; its exit code, or 2 when it could not start. It
// writes to the same console.
inline DWORD run_child(const std::string& args) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::fflush(stdout);
    std::string cmd = "\"" + std::string(exe) + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 2;
    // Windows of this process go on answering while it waits: the child's start-up asks them.
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) pump();
    DWORD code = 2;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// n objects on level 1 in rows of `per_row`, keys repeating past 65,535 as in a merged old file;
// each linked to the next, and the first `extra` also to the one below.
inline Document grid(int n, int extra, int per_row = 200) {
    Document d;
    d.objs.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Obj o;
        o.key = static_cast<Key>(i % 65535 + 1);
        o.id = "Idea " + std::to_string(i);
        o.level = 1;
        o.x = (i % per_row) * 300 - 30000;
        o.y = 20000 - (i / per_row) * 200;
        o.shape = 161;
        o.size = 15;
        o.colour = i % 32;
        d.objs.push_back(std::move(o));
        if (i + 1 < n && i < 65534) d.links.push_back(Link{static_cast<Key>(i + 1), static_cast<Key>(i + 2), 0, 0, 0, 0, ""});
    }
    for (int i = 0; i < extra && i + per_row < n; ++i)
        d.links.push_back(Link{static_cast<Key>(i + 1), static_cast<Key>(i + per_row + 1), 0, 0, 0, 0, ""});
    d.touch_objs();
    return d;
}

}  // namespace bench
