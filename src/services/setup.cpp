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
                                   const std::string& script_path, int tries) {
    const std::string exe = progdir + kSetupExe;
    std::string s = "@echo off\r\n";
    s += "title Uninstall Vorn2001\r\n";
    s += "echo Removing Vorn Idea Processor ...\r\n";
    // The program is still ending when the script starts: wait until its file can go.
    s += "set tries=0\r\n";
    s += ":wait\r\n";
    s += "del /f /q \"" + exe + "\" >nul 2>nul\r\n";
    s += "if not exist \"" + exe + "\" goto gone\r\n";
    s += "set /a tries+=1\r\n";
    s += "if %tries% geq " + std::to_string(tries) + " goto stuck\r\n";
    s += "ping -n 2 127.0.0.1 >nul\r\n";
    s += "goto wait\r\n";
    s += ":stuck\r\n";
    s += "echo.\r\n";
    s += "echo Vorn Idea Processor could not be removed completely:\r\n";
    s += "echo \"" + exe + "\" is in use or may not be deleted.\r\n";
    s += "echo Its other files stay. Close every copy of the program and delete them by hand.\r\n";
    s += "pause\r\n";
    s += "goto end\r\n";
    s += ":gone\r\n";
    for (const std::string& f : files) {
        if (f.empty() || f.find_first_of("*?\\/:\"<>|") != std::string::npos) continue;
        s += "del /f /q \"" + progdir + f + "\" >nul 2>nul\r\n";
    }
    s += ":end\r\n";
    s += "del /f /q \"" + script_path + "\" >nul 2>nul\r\n";
    return s;
}

std::string setup_uninstall_args(const std::string& script_path) { return "/c \"\"" + script_path + "\"\""; }
