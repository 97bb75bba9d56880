// Unix tools for the printing, e-mail and set-up tests: Wine starts a Unix program given by its
// Unix path like any other, so the tests can read PDFs and use throw-away Wine prefixes.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "base/util_win.h"

namespace wt {

// A Unix path as this process names it (Wine maps / to drive Z:).
inline std::string dos_path(const std::string& unix_path) {
    std::string p = "Z:" + unix_path;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

// A Unix path under /tmp for `name`, private to this run: Wine numbers processes afresh in every
// prefix, so runs side by side share process ids; the counter at first use tells them apart.
inline std::string host_tmp(const std::string& name) {
    static const std::string run = [] {
        LARGE_INTEGER t{};
        QueryPerformanceCounter(&t);
        return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(t.QuadPart);
    }();
    return "/tmp/" + name + "-" + run;
}

// Runs `script` with /bin/sh and waits up to `ms` for it to end; false when it could not start,
// did not end in time or ended with an error. Wine gives no handle of a Unix process to wait on,
// so the script leaves its exit status in a file of its own.
inline bool run_unix(const std::string& script, DWORD ms = 60000) {
    static int runs = 0;
    const std::string mark = host_tmp("vorn-unix") + "-" + std::to_string(++runs);
    DeleteFileA(dos_path(mark).c_str());
    // Wine splits the command line by the Windows rules: one double-quoted argument for -c.
    std::string body = "PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin; export PATH; (" + script + "); echo $? > " +
                       mark + ".tmp; mv " + mark + ".tmp " + mark;
    std::string cmd = "/bin/sh -c \"";
    size_t slashes = 0;
    for (char c : body) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        cmd.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        slashes = 0;
        cmd += c;
    }
    cmd.append(2 * slashes, '\\');
    cmd += '"';
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    util_close_process(pi);
    const std::string mark_dos = dos_path(mark);
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (GetFileAttributesA(mark_dos.c_str()) != INVALID_FILE_ATTRIBUTES) {
            char status[16] = {};
            if (FILE* f = std::fopen(mark_dos.c_str(), "rb")) {
                std::fread(status, 1, sizeof status - 1, f);
                std::fclose(f);
            }
            DeleteFileA(mark_dos.c_str());
            return std::atoi(status) == 0;
        }
        Sleep(50);
    }
    return false;
}

inline std::string read_text(const std::string& file) {
    std::ifstream f(file, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// True when the Unix program is installed.
inline bool unix_tool(const std::string& name) {
    return GetFileAttributesA(dos_path("/usr/bin/" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder of the host under /tmp, private to this run, for files made by host tools; removed at
// the end.
struct HostDir {
    std::string unix_path;
    explicit HostDir(const std::string& name) : unix_path(host_tmp(name)) {
        run_unix("rm -rf " + unix_path + " && mkdir -p " + unix_path);
    }
    ~HostDir() { run_unix("rm -rf " + unix_path); }
    HostDir(const HostDir&) = delete;
    HostDir& operator=(const HostDir&) = delete;
    std::string dos(const std::string& file) const { return dos_path(unix_path + "/" + file); }
    // Runs a shell script inside the folder.
    bool run(const std::string& script, DWORD ms = 60000) const { return run_unix("cd " + unix_path + " && " + script, ms); }
};

}  // namespace wt
