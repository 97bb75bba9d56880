#include "services/setup_win.h"

#include <ddeml.h>
#include <shellapi.h>

#include "base/error.h"
#include "base/file.h"
#include "base/settings.h"
#include "base/settings_win.h"
#include "base/shell_hooks_win.h"
#include "services/setup.h"

namespace {

// The data files beside the program, listed by the build.
const char* const kShippedFiles[] = {
#include "shipped_files.inc"
};

HDDEDATA CALLBACK dde_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// One conversation with the program manager for a list of execute commands.
class Progman {
public:
    Progman() {
        if (DdeInitializeA(&inst_, dde_callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
            inst_ = 0;
            return;
        }
        HSZ s = DdeCreateStringHandleA(inst_, "PROGMAN", CP_WINANSI);
        conv_ = DdeConnect(inst_, s, s, nullptr);
        DdeFreeStringHandle(inst_, s);
    }
    ~Progman() {
        if (conv_) DdeDisconnect(conv_);
        if (inst_) DdeUninitialize(inst_);
    }
    bool connected() const { return conv_ != nullptr; }
    bool execute(const std::string& cmd) {
        std::string c = cmd;
        HDDEDATA r = DdeClientTransaction(reinterpret_cast<LPBYTE>(c.data()), static_cast<DWORD>(c.size() + 1), conv_,
                                          nullptr, 0, XTYP_EXECUTE, 10000, nullptr);
        return r != nullptr;
    }

private:
    DWORD inst_ = 0;
    HCONV conv_ = nullptr;
};

HKEY root_key(SetupRoot r) {
    switch (r) {
    case SetupRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case SetupRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    default: return HKEY_CURRENT_USER;
    }
}

// The process's environment as it is now (the C run-time's copy is taken at start-up).
std::string env_text(const char* name) {
    char buf[512] = {};
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string settings_key_in_use() {
    std::string env = env_text("VORN_SETTINGS_KEY");
    return env.empty() ? std::string(kSettingsKey) : env;
}

std::string exe_path() { return file_progdir_path(kSetupExe); }

std::string temp_dir() {
    char buf[MAX_PATH] = {};
    DWORD n = GetTempPathA(MAX_PATH, buf);
    std::string d = n > 0 && n < MAX_PATH ? std::string(buf, n) : file_progdir_path();
    if (!d.empty() && d.back() != '\\') d += '\\';
    return d;
}

// Another copy of the program answers on its DDE service (this one, started with "/u", has
// none): its program file cannot be deleted while it runs.
bool other_copy_running() {
    DWORD inst = 0;
    if (DdeInitializeA(&inst, dde_callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
    HSZ service = DdeCreateStringHandleA(inst, "Vorn", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(inst, "System", CP_WINANSI);
    HCONV conv = DdeConnect(inst, service, topic, nullptr);
    if (conv) DdeDisconnect(conv);
    DdeFreeStringHandle(inst, service);
    DdeFreeStringHandle(inst, topic);
    DdeUninitialize(inst);
    return conv != nullptr;
}

void pump_messages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) break;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace

std::vector<std::string> setup_installed_files() {
    std::vector<std::string> out{kSetupExe, kSetupIcon};
    for (const char* f : kShippedFiles)
        if (file_lower(f) != kSetupIcon) out.emplace_back(f);
    return out;
}

void setup_progman_group() {
    Progman pm;
    if (!pm.connected()) {
        msg_error("Error on DDE Connect");
        return;
    }
    for (const ProgmanCommand& c : setup_progman_commands(exe_path()))
        if (!pm.execute(c.text) && c.must_succeed) return;
}

void setup_delete_group() {
    Progman pm;
    if (!pm.connected()) {
        msg_error("Error on DDE Connect");
        return;
    }
    pm.execute(setup_delete_group_command());
}

void setup_file_association() {
    // One refused write (no administrator rights) says so once; the rest would be refused too.
    for (const RegEntry& e : setup_registry_entries(file_progdir_path()))
        if (!reg_set_string(root_key(e.root), e.key, e.value, e.data)) return;
}

bool setup_is_done() {
    RegValue v = reg_get(HKEY_CLASSES_ROOT, "vornfile\\shell\\open\\command", "", "");
    return v.found && file_lower(v.text) == file_lower(setup_quote(exe_path()));
}

void setup_check(HWND main) {
    // Test runs keep their settings under a key of their own and never register the program.
    if (!env_text("VORN_SETTINGS_KEY").empty() || setup_is_done()) return;
    // A copy whose owner said no once is not asked again.
    if (file_lower(file_setting_get_text("SetupDeclined", "")) == file_lower(exe_path())) return;
    if (!msg_ask_yes_no("Register Vorn Idea Processor with Windows (program group, .vrn documents and uninstall "
                        "entry)?",
                        "Set-up")) {
        file_setting_set_text("SetupDeclined", exe_path());
        return;
    }
    setup_progman_group();
    setup_file_association();
}

void setup_uninstall(HWND win) {
    if (other_copy_running()) {
        msg_note("Vorn Idea Processor is running. Close every copy of it, then start the uninstall again.");
        return;
    }
    const bool yes = msg_ask_yes_no("Remove Vorn Idea Processor?", "Uninstall Vorn2001");
    std::string script;
    if (yes) {
        setup_delete_group();
        for (const RegKey& k : setup_uninstall_keys(settings_key_in_use())) RegDeleteKeyA(root_key(k.root), k.key.c_str());
        // The vendor key goes only when nothing else of it is left (RegDeleteKey keeps a key with subkeys).
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quellmark");
        script = temp_dir() + "uninstal_vorn2001.bat";
        if (auto out = file_open_output(script)) {
            *out << setup_uninstall_script(file_progdir_path(), setup_installed_files(), script);
            out->close();
            if (out->fail()) script.clear();
        } else {
            script.clear();
        }
        pump_messages();
    }
    // The main window refuses its creation after this, which ends the program.
    if (!script.empty()) {
        std::string args = setup_uninstall_args(script);
        // Shown: it says so when the program's file cannot be deleted.
        ShellExecuteA(nullptr, "open", "cmd.exe", args.c_str(), nullptr, SW_SHOWNORMAL);
    }
}

void setup_register() {
    shell_hooks_.setup_uninstall = setup_uninstall;
    shell_hooks_.setup_check = setup_check;
}
