// "win_bench startup [rounds]": from launch to the painted window, the program against the bare
// Win32 window built beside win_bench, started in turn under the same system. Both are timed the
// same way, from outside: from CreateProcess until the process has waited for input once and
// shows a top-level window that, with every visible window in it, has nothing left to paint.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/settings_win.h"
#include "win/program_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
const char* const kBenchKey = "Software\\Quellmark\\VornBench";
constexpr double kBudget = 50;  // ms over the bare window
// Between two starts: the last one's exit is over before the next one is timed.
constexpr DWORD kSettleMs = 250;

struct Shown {
    DWORD pid;
    HWND win = nullptr;
};

BOOL CALLBACK find_window(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Shown*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
    f->win = w;
    return FALSE;
}

bool waits_for_paint(HWND w) {
    RECT r;
    return IsWindowVisible(w) && GetUpdateRect(w, &r, FALSE);
}

BOOL CALLBACK child_waits(HWND w, LPARAM lp) {
    if (!waits_for_paint(w)) return TRUE;
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
}

// The process's visible top-level window once it and its children have painted, else null.
HWND painted_window(DWORD pid) {
    Shown f{pid};
    EnumWindows(find_window, reinterpret_cast<LPARAM>(&f));
    if (!f.win) return nullptr;
    bool waiting = waits_for_paint(f.win);
    if (!waiting) EnumChildWindows(f.win, child_waits, reinterpret_cast<LPARAM>(&waiting));
    return waiting ? nullptr : f.win;
}

// Milliseconds from launch to the painted window; < 0 when it did not show within 20 s.
double launch(const std::string& exe) {
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    auto t0 = Clock::now();
    auto since = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); };
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    double ms = -1;
    HWND win = nullptr;
    // Waiting for input comes first: until then nothing is looked at, so the watching costs the
    // process nothing. A process may wait for input before its window is up; then it is watched.
    if (WaitForInputIdle(pi.hProcess, 20000) == 0) {
        while (!(win = painted_window(pi.dwProcessId)) && since() < 20000) Sleep(1);
        if (win) ms = since();
    }
    if (win) PostMessageA(win, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Sleep(kSettleMs);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.1f to %.1f ms, middle half %.1f to %.1f", v.front(), v.back(), v[v.size() / 4],
                  v[v.size() * 3 / 4]);
    return buf;
}

}  // namespace

int startup_bench(int rounds) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    dir.erase(dir.find_last_of('\\') + 1);
    // The program runs on a settings key of its own: no set-up offer, nothing of the user's.
    SetEnvironmentVariableA("VORN_SETTINGS_KEY", (std::string(kBenchKey) + "\\IniStr").c_str());
    const std::string bare = dir + "bare_window.exe", program = wt::program_dir() + "vorn2001.exe";
    // A first start of each fills the system's caches, as any start but the very first finds them.
    launch(bare);
    launch(program);
    // Each round starts both, one after the other, taking turns at going first: the difference
    // of a round is taken under the same load, and the median of the differences is the figure.
    std::vector<double> b, p, d;
    for (int i = 0; i < rounds; ++i) {
        double x, y;
        if (i % 2 == 0) {
            x = launch(bare);
            y = launch(program);
        } else {
            y = launch(program);
            x = launch(bare);
        }
        if (x < 0 || y < 0) {
            std::printf("[ FAIL ] %s did not show its painted window\n", x < 0 ? "bare_window.exe" : "vorn2001.exe");
            reg_delete_tree(HKEY_CURRENT_USER, kBenchKey);
            return 2;
        }
        std::printf("[ run  ] %2d: bare window %6.1f ms, program %6.1f ms, beyond %6.1f ms\n", i + 1, x, y, y - x);
        std::fflush(stdout);
        b.push_back(x);
        p.push_back(y);
        d.push_back(y - x);
    }
    reg_delete_tree(HKEY_CURRENT_USER, kBenchKey);
    std::printf("[ note ] bare window, launch to painted window: median %.1f ms (%s; %d starts)\n", median(b),
                spread(b).c_str(), rounds);
    std::printf("[ note ] program, launch to painted window: median %.1f ms (%s)\n", median(p), spread(p).c_str());
    std::printf("[ note ] the program's time beyond the bare window's in each round: %s\n", spread(d).c_str());
    const double over = median(d);
    const bool ok = over <= kBudget;
    std::printf("[ %s ] %-58s %8.1f ms (budget %.0f ms)\n", ok ? "ok  " : "OVER", "start-up beyond the bare window's", over,
                kBudget);
    return ok ? 0 : 1;
}
