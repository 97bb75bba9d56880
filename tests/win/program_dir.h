// The program directory holds only what ships; the tests and benchmarks are built elsewhere and
// find it from their own directory (VORN_PROGRAM_DIR_FROM_TESTS, set by the build).
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace wt {

// The program directory, ending in a backslash.
inline std::string program_dir() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::filesystem::path dir =
        (std::filesystem::path(exe).parent_path() / VORN_PROGRAM_DIR_FROM_TESTS).lexically_normal();
    std::string s = dir.string();
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}

}  // namespace wt
