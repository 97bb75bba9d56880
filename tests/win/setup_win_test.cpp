// Set-up and "/u" in a throw-away Wine prefix of their own: the registry keys, the Start menu
// folder and the program's directory are listed before set-up, after it and after "/u". The
// questions of the program are answered through the X display (xdotool).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/file.h"
#include "print_unix.h"
#include "services/setup.h"
#include "services/setup_win.h"
#include "win/program_dir.h"

using namespace wt;

namespace {

// $1 work directory, $2 the program directory, $3 the files to install (one per line).
const char kScript[] = R"SH(
set -u
work=$1; src=$2; list=$3
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
unset VORN_SETTINGS_KEY WINESERVER WINELOADER 2>/dev/null || true
dir="$WINEPREFIX/drive_c/Program Files/Vorn Test"
wineboot -i >/dev/null 2>&1
wineserver -w
mkdir -p "$dir"
while IFS= read -r f; do [ -n "$f" ] && cp "$src/$f" "$dir/" 2>/dev/null; done < "$list"
echo "my own notes" > "$dir/mine.vrn"

snap() {
  wineserver -w
  {
    echo "[registry]"
    for reg in "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg"; do
      awk '/^\[/ { keep = tolower($0) ~ /(classes\\\\\.vrn\]|classes\\\\vornfile|uninstall\\\\vorn2001|software\\\\quellmark)/ }
           keep && !/^#time/ && NF { sub(/\] [0-9]+$/, "]"); print }' "$reg"
    done
    echo "[start menu]"
    find "$WINEPREFIX/drive_c" -ipath "*start menu*" -iname "*vorn*" 2>/dev/null | sed "s|$WINEPREFIX/||" | sort
    echo "[files]"
    ls "$dir" | sort
  } > "$work/$1.txt"
}

# Answers the program's question box titled $1 with Enter (its first button, Yes).
answer() {
  for _ in $(seq 1 300); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      sleep 0.5
      xdotool windowfocus --sync "$id" key --clearmodifiers Return 2>/dev/null || xdotool key Return
      return 0
    fi
    sleep 0.2
  done
  return 1
}

snap before
wine "$dir/vorn2001.exe" >/dev/null 2>&1 &
answer "Set-up" || echo "no set-up question" >> "$work/log.txt"
sleep 4
wineserver -k; wineserver -w
snap setup

# With a second copy running, "/u" refuses and changes nothing: no question, only a note.
wine "$dir/vorn2001.exe" >/dev/null 2>&1 &
sleep 4
wine "$dir/vorn2001.exe" /u >/dev/null 2>&1 &
pid=$!
box=""
for _ in $(seq 1 300); do
  if xdotool search --name "^Note\$" >/dev/null 2>&1; then box=Note; break; fi
  if xdotool search --name "^Uninstall Vorn2001\$" >/dev/null 2>&1; then box=question; break; fi
  sleep 0.2
done
if [ "$box" = Note ]; then answer "Note"; else echo "no refusal while another copy runs: $box" >> "$work/log.txt"; fi
if [ "$box" = question ]; then
  id=$(xdotool search --name "^Uninstall Vorn2001\$" | head -1)
  xdotool windowfocus --sync "$id" key --clearmodifiers n 2>/dev/null
fi
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
wineserver -k; wineserver -w
snap refused

wine "$dir/vorn2001.exe" /u >/dev/null 2>&1 &
pid=$!
answer "Uninstall Vorn2001" || echo "no uninstall question" >> "$work/log.txt"
wait $pid
for _ in $(seq 1 100); do [ -e "$dir/vorn2001.exe" ] || break; sleep 0.2; done
sleep 2
wineserver -k; wineserver -w
snap uninstall
echo done > "$work/done"
)SH";

std::string unix_of(std::string dos) {
    if (dos.size() > 2 && (dos[0] == 'Z' || dos[0] == 'z') && dos[1] == ':') dos = dos.substr(2);
    for (char& c : dos)
        if (c == '\\') c = '/';
    return dos;
}

// The lines under "[name]" up to the next header of the listing (registry key lines also start
// with "[", so headers are matched whole).
std::string section(const std::string& text, const std::string& name) {
    static const char* const kHeaders[] = {"[registry]", "[start menu]", "[files]"};
    std::istringstream in(text);
    std::string line, out;
    bool inside = false;
    while (std::getline(in, line)) {
        bool header = false;
        for (const char* h : kHeaders) header = header || line == h;
        if (header) {
            inside = line == "[" + name + "]";
            continue;
        }
        if (inside) out += line + "\n";
    }
    return out;
}

// The directory set-up registers and uninstall cleans holds the program and its data files (and
// what the program itself writes beside itself: its custom dictionary, its ticker history); no
// program or library of the tests.
TEST(Setup, TheProgramDirectoryHoldsOnlyWhatShips) {
    namespace fs = std::filesystem;
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const fs::path dir = wt::program_dir(), tests = fs::path(exe).parent_path();
    EXPECT_FALSE(fs::equivalent(dir, tests));
    for (const std::string& f : setup_installed_files()) EXPECT_TRUE(fs::exists(dir / f)) << f;
    for (const auto& e : fs::directory_iterator(tests)) {
        EXPECT_FALSE(fs::exists(dir / e.path().filename())) << e.path();
    }
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string ext = file_lower(e.path().extension().string());
        if (ext == ".exe" || ext == ".dll" || ext == ".ds") {
            EXPECT_EQ(file_lower(e.path().filename().string()), "vorn2001.exe");
        }
    }
}

TEST(Setup, SetupThenUninstallLeavesThePrefixAsItWasApartFromTheUsersFiles) {
    if (!unix_tool("xdotool") || !unix_tool("wine") || !std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs wine, xdotool and an X display";
    std::string progdir = unix_of(wt::program_dir());
    progdir.pop_back();
    const std::string work = host_tmp("vorn-setup-test");
    ASSERT_TRUE(run_unix("rm -rf " + work + " && mkdir -p " + work));
    {
        std::ofstream s(dos_path(work + "/run.sh"), std::ios::binary);
        s << kScript;
        std::ofstream l(dos_path(work + "/files.txt"), std::ios::binary);
        for (const auto& f : setup_installed_files()) l << f << "\n";
    }
    ASSERT_TRUE(run_unix("sh " + work + "/run.sh " + work + " \"" + progdir + "\" " + work + "/files.txt > " + work +
                             "/out.txt 2>&1",
                         400000));
    ASSERT_NE(GetFileAttributesA(dos_path(work + "/done").c_str()), INVALID_FILE_ATTRIBUTES)
        << read_text(dos_path(work + "/out.txt"));
    EXPECT_EQ(read_text(dos_path(work + "/log.txt")), "");
    const std::string before = read_text(dos_path(work + "/before.txt"));
    const std::string setup = read_text(dos_path(work + "/setup.txt"));
    const std::string after = read_text(dos_path(work + "/uninstall.txt"));
    const std::string refused = read_text(dos_path(work + "/refused.txt"));

    // Before: nothing of ours but the copied program and the user's file.
    EXPECT_EQ(section(before, "registry"), "") << before;
    EXPECT_EQ(section(before, "start menu"), "") << before;
    EXPECT_NE(section(before, "files").find("vorn2001.exe\n"), std::string::npos) << before;

    // After set-up: the association opens through DDE, the uninstall entry runs "/u", the group
    // holds the item.
    const std::string reg = section(setup, "registry");
    EXPECT_NE(reg.find("@=\"vornfile\""), std::string::npos) << setup;
    EXPECT_NE(reg.find("@=\"[open(\\\"%1\\\")]\""), std::string::npos) << setup;
    EXPECT_NE(reg.find("Vorn Test\\\\vorn2001.exe\\\" /u\""), std::string::npos) << setup;
    EXPECT_NE(reg.find("\"DisplayName\"=\"Vorn2001\""), std::string::npos) << setup;
    EXPECT_NE(section(setup, "start menu").find("Vorn Group/vorn2001.lnk"), std::string::npos) << setup;

    // "/u" while another copy runs: everything as set-up left it.
    EXPECT_EQ(section(refused, "files"), section(setup, "files")) << refused;
    EXPECT_EQ(section(refused, "start menu"), section(setup, "start menu")) << refused;
    EXPECT_NE(section(refused, "registry").find("Vorn Test\\\\vorn2001.exe\\\" /u\""), std::string::npos) << refused;
    EXPECT_NE(section(refused, "registry").find("vornfile\\\\shell\\\\open\\\\command"), std::string::npos) << refused;

    // After "/u": only ".vrn" stays (pointing to the removed "vornfile"), no group, and of the
    // files only what the user made.
    const std::string left = section(after, "registry");
    EXPECT_EQ(left.find("vornfile\\\\"), std::string::npos) << after;
    EXPECT_EQ(left.find("Uninstall"), std::string::npos) << after;
    EXPECT_EQ(left.find("Quellmark"), std::string::npos) << after;
    EXPECT_NE(left.find("@=\"vornfile\""), std::string::npos) << after;
    EXPECT_EQ(section(after, "start menu"), "") << after;
    const std::string files = section(after, "files");
    EXPECT_NE(files.find("mine.vrn\n"), std::string::npos) << after;
    for (const auto& f : setup_installed_files()) EXPECT_EQ(files.find(f + "\n"), std::string::npos) << f << "\n" << after;
    run_unix("rm -rf " + work, 60000);
}

// The uninstall script gives up on a program file it cannot delete: it ends after its tries,
// saying so, and every other file stays; once the file is free it removes exactly its files.
TEST(Setup, UninstallScriptGivesUpOnAProgramFileItCannotDelete) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vorn uninstall (script)";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* f : {"vorn2001.exe", "a.txt", "b.dat", "mine.vrn"}) std::ofstream(dir / f) << f;
    const std::string progdir = dir.string() + "\\";
    auto run = [&](int tries) {
        const std::string script = (dir / "uninstal_test.bat").string();
        std::ofstream(script, std::ios::binary) << setup_uninstall_script(progdir, {"a.txt", "b.dat"}, script, tries);
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_HIDE;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
        PROCESS_INFORMATION pi{};
        std::string cmd = "cmd.exe " + setup_uninstall_args(script);
        bool ended = false;
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
            ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
            if (!ended) TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        CloseHandle(nul);
        EXPECT_FALSE(fs::exists(script));
        return ended;
    };
    HANDLE held = CreateFileA((dir / "vorn2001.exe").string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(run(3));
    EXPECT_LT(GetTickCount() - start, 30000u);
    for (const char* f : {"vorn2001.exe", "a.txt", "b.dat", "mine.vrn"}) EXPECT_TRUE(fs::exists(dir / f)) << f;
    CloseHandle(held);
    EXPECT_TRUE(run(3));
    for (const char* f : {"vorn2001.exe", "a.txt", "b.dat"}) EXPECT_FALSE(fs::exists(dir / f)) << f;
    EXPECT_TRUE(fs::exists(dir / "mine.vrn"));
    fs::remove_all(dir);
}

}  // namespace
