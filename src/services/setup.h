// SETUP, portable part: what set-up registers with the shell and what uninstall removes.
#pragma once

#include <string>
#include <vector>

constexpr char kSetupGroup[] = "Vorn Group";
constexpr char kSetupItem[] = "vorn2001";
constexpr char kSetupExe[] = "vorn2001.exe";
constexpr char kSetupIcon[] = "vorn2001.ico";
constexpr char kSetupUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorn2001";

// A path as a shell or DDE argument: in double quotes when it holds a blank, a comma or a
// parenthesis, else as it is.
std::string setup_quote(const std::string& path);

// The program manager's commands for the group, in order. `must_succeed` false: a failure does
// not end the step (DeleteItem fails when the item does not exist yet).
struct ProgmanCommand {
    std::string text;
    bool must_succeed = true;
};
std::vector<ProgmanCommand> setup_progman_commands(const std::string& exe_path);
std::string setup_delete_group_command();

enum class SetupRoot { ClassesRoot, LocalMachine, CurrentUser };
struct RegEntry {
    SetupRoot root;
    std::string key, value, data;  // value "" is the key's default value
};
// The file association and the uninstall entry, in writing order; progdir ends in a separator.
std::vector<RegEntry> setup_registry_entries(const std::string& progdir);
// Keys uninstall deletes, children before parents; ".vrn" stays.
struct RegKey {
    SetupRoot root;
    std::string key;
};
std::vector<RegKey> setup_uninstall_keys(const std::string& settings_key);

// A batch file that waits until the program file can be deleted, then deletes exactly `files`
// (names inside progdir; never a wildcard), then itself. The wait ends after `tries` seconds or
// so: the file is then in use by another program or may not be deleted, every other file stays
// and the window says so until a key is pressed. Lines end in CR LF.
constexpr int kSetupUninstallTries = 30;
std::string setup_uninstall_script(const std::string& progdir, const std::vector<std::string>& files,
                                   const std::string& script_path, int tries = kSetupUninstallTries);
// cmd.exe's arguments that run the script: the name inside a second pair of quotes, which cmd
// takes off, so a folder with blanks or parentheses ("Temp (2)") is still one name.
std::string setup_uninstall_args(const std::string& script_path);
