// "win_bench startup [rounds]": from launch to the painted window, the program against the bare
// Win32 window built beside win_bench, started in turn under the same system. A process counts as shown
// when it first waits for input: its windows, children included, have painted by then.
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

struct Found {
    DWORD pid;
    HWND win = nullptr;
};

BOOL CALLBACK find_window(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
    f->win = w;
    return FALSE;
}

// Milliseconds from launch to the first wait for input with a visible window; < 0 on failure.
double launch(const std::string& exe) {
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    auto t0 = Clock::now();
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    DWORD idle = WaitForInputIdle(pi.hProcess, 20000);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    Found f{pi.dwProcessId};
    EnumWindows(find_window, reinterpret_cast<LPARAM>(&f));
    if (f.win) PostMessageA(f.win, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return idle == 0 && f.win ? ms : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    // Each round starts both, one after the other: the difference of a round is taken under the
    // same load, and the median of the differences is the figure.
    std::vector<double> b, p, d;
    for (int i = 0; i < rounds; ++i) {
        double x = launch(bare), y = launch(program);
        if (x < 0 || y < 0) {
            std::printf("[ FAIL ] %s did not show its window\n", x < 0 ? "bare_window.exe" : "vorn2001.exe");
            reg_delete_tree(HKEY_CURRENT_USER, kBenchKey);
            return 2;
        }
        b.push_back(x);
        p.push_back(y);
        d.push_back(y - x);
    }
    reg_delete_tree(HKEY_CURRENT_USER, kBenchKey);
    auto range = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.1f to %.1f ms, middle half %.1f to %.1f", v.front(), v.back(), v[v.size() / 4],
                      v[v.size() * 3 / 4]);
        return std::string(buf);
    };
    std::printf("[ note ] bare window, launch to painted window: median %.1f ms (%s; %d starts)\n", median(b),
                range(b).c_str(), rounds);
    std::printf("[ note ] program, launch to painted window: median %.1f ms (%s)\n", median(p), range(p).c_str());
    std::printf("[ note ] the program's time beyond the bare window's in each round: %s\n", range(d).c_str());
    const double over = median(d);
    const bool ok = over <= kBudget;
    std::printf("[ %s ] %-58s %8.1f ms (budget %.0f ms)\n", ok ? "ok  " : "OVER", "start-up beyond the bare window's", over,
                kBudget);
    return ok ? 0 : 1;
}
