#include "services/setup.h"

std::string setup_quote(const std::string& path) {
    if (path.find_first_of(" ,()") == std::string::npos) return path;
    return "\"" + path + "\"";
}

std::vector<ProgmanCommand> setup_progman_commands(const std::string& exe_path) {
    const std::string g = kSetupGroup;
    return {
        {"[CreateGroup(" + g + ")]", true},
        {"[ShowGroup(" + g + ",1)]", true},
        {"[DeleteItem(" + std::string(kSetupItem) + ")]", false},
        {"[AddItem(" + setup_quote(exe_path) + "," + kSetupItem + ")]", true},
    };
}

std::string setup_delete_group_command() { return "[DeleteGroup(" + std::string(kSetupGroup) + ")]"; }

std::vector<RegEntry> setup_registry_entries(const std::string& progdir) {
    const std::string exe = setup_quote(progdir + kSetupExe);
    const auto cr = SetupRoot::ClassesRoot;
    return {
        {cr, ".vrn", "", "vornfile"},
        {cr, "vornfile", "", "Vorn File"},
        {cr, "vornfile\\DefaultIcon", "", setup_quote(progdir + kSetupIcon)},
        {cr, "vornfile\\shell\\open\\ddeexec", "", "[open(\"%1\")]"},
        {cr, "vornfile\\shell\\open\\ddeexec\\application", "", "Vorn"},
        {cr, "vornfile\\shell\\open\\ddeexec\\topic", "", "System"},
        {cr, "vornfile\\shell\\open\\command", "", exe},
        {SetupRoot::LocalMachine, kSetupUninstallKey, "DisplayName", "Vorn2001"},
        {SetupRoot::LocalMachine, kSetupUninstallKey, "UninstallString", exe + " /u"},
    };
}

std::vector<RegKey> setup_uninstall_keys(const std::string& settings_key) {
    const auto cr = SetupRoot::ClassesRoot;
    std::vector<RegKey> keys;
    keys.push_back({SetupRoot::CurrentUser, settings_key});
    std::string parent = settings_key.substr(0, settings_key.rfind('\\'));
    if (parent != settings_key) keys.push_back({SetupRoot::CurrentUser, parent});
    for (const char* k : {"vornfile\\shell\\open\\ddeexec\\application", "vornfile\\shell\\open\\ddeexec\\topic",
                          "vornfile\\shell\\open\\ddeexec", "vornfile\\shell\\open\\command", "vornfile\\shell\\open",
                          "vornfile\\shell", "vornfile\\DefaultIcon", "vornfile"})
        keys.push_back({cr, k});
    keys.push_back({SetupRoot::LocalMachine, kSetupUninstallKey});
    return keys;
}

std::string setup_uninstall_script(const std::string& progdir, const std::vector<std::string>& files,
                                   const std::string& script_path) {
    const std::string exe = progdir + kSetupExe;
    std::string s = "@echo off\r\n";
    // The program is still ending when the script starts: wait until its file can go.
    s += ":wait\r\n";
    s += "del /f /q \"" + exe + "\" >nul 2>nul\r\n";
    s += "if exist \"" + exe + "\" (\r\n  ping -n 2 127.0.0.1 >nul\r\n  goto wait\r\n)\r\n";
    for (const std::string& f : files) {
        if (f.empty() || f.find_first_of("*?\\/:\"<>|") != std::string::npos) continue;
        s += "del /f /q \"" + progdir + f + "\" >nul 2>nul\r\n";
    }
    s += "del /f /q \"" + script_path + "\" >nul 2>nul\r\n";
    return s;
}
