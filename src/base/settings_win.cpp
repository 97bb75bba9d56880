#include "base/settings_win.h"

#include <vector>

#include "base/error.h"

const char kSettingsKey[] = "Software\\Quellmark\\Vorn2001\\IniStr";

namespace {

class RegistryStore : public SettingsBackend {
public:
    std::string subkey;
    std::optional<std::string> get(const std::string& name) override {
        RegValue v = reg_get(HKEY_CURRENT_USER, subkey, name, "");
        if (!v.found) return std::nullopt;
        return v.text;
    }
    bool set(const std::string& name, const std::string& text) override {
        return reg_set_string(HKEY_CURRENT_USER, subkey, name, text);
    }
};

RegistryStore& store() {
    static RegistryStore s;
    return s;
}

}  // namespace

void settings_use_registry(const std::string& subkey) {
    store().subkey = subkey;
    settings_set_backend(&store());
}

RegValue reg_get(HKEY root, const std::string& subkey, const std::string& value, const std::string& def) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return {def, false};
    DWORD type = 0, size = 0;
    RegValue out{def, false};
    if (RegQueryValueExA(k, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<char> buf(size + 1, '\0');
        DWORD got = size;
        if (RegQueryValueExA(k, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) ==
            ERROR_SUCCESS) {
            buf[got < buf.size() ? got : buf.size() - 1] = '\0';
            out.text = buf.data();  // stops at the terminator the value may or may not hold
            out.found = true;
        }
    }
    RegCloseKey(k);
    return out;
}

bool reg_set_string(HKEY root, const std::string& subkey, const std::string& value, const std::string& text) {
    HKEY k = nullptr;
    LONG rc = RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExA(k, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
        RegCloseKey(k);
    }
    if (rc != ERROR_SUCCESS) {
        msg_note("Registry setvalue error " + std::to_string(rc));
        return false;
    }
    return true;
}

bool reg_delete_tree(HKEY root, const std::string& subkey) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return false;
    char name[512];
    for (;;) {
        DWORD n = sizeof name;
        if (RegEnumKeyExA(k, 0, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!reg_delete_tree(k, name)) break;
    }
    RegCloseKey(k);
    return RegDeleteKeyA(root, subkey.c_str()) == ERROR_SUCCESS;
}
