#include "base/settings_win.h"

#include <map>
#include <optional>
#include <vector>

#include "base/error.h"
#include "base/util.h"

const char kSettingsKey[] = "Software\\Quellmark\\Vorn2001\\IniStr";

namespace {

// The text values of a key by lower-cased name (value names ignore case).
std::map<std::string, std::string> read_key(HKEY root, const std::string& subkey) {
    std::map<std::string, std::string> out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return out;
    DWORD name_max = 0, data_max = 0;
    if (RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &name_max, &data_max,
                         nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<char> name(name_max + 2), data(data_max + 2);
        for (DWORD i = 0;; ++i) {
            DWORD n = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size() - 1), type = 0;
            LONG rc = RegEnumValueA(k, i, name.data(), &n, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
            if (rc != ERROR_SUCCESS) break;
            if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
            data[size < data.size() ? size : data.size() - 1] = '\0';
            out[util_lower(std::string(name.data(), n))] = data.data();
        }
    }
    RegCloseKey(k);
    return out;
}

class RegistryStore : public SettingsBackend {
public:
    std::string subkey;
    // Set while the values are read from one copy of the key (start-up).
    std::optional<std::map<std::string, std::string>> held;
    std::optional<std::string> get(const std::string& name) override {
        if (held) {
            auto it = held->find(util_lower(name));
            if (it == held->end()) return std::nullopt;
            return it->second;
        }
        RegValue v = reg_get(HKEY_CURRENT_USER, subkey, name, "");
        if (!v.found) return std::nullopt;
        return v.text;
    }
    bool set(const std::string& name, const std::string& text) override {
        if (held) (*held)[util_lower(name)] = text;
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
    store().held.reset();
    settings_set_backend(&store());
}

SettingsReadOnce::SettingsReadOnce() {
    if (settings_backend() == &store() && !store().held) {
        store().held = read_key(HKEY_CURRENT_USER, store().subkey);
        owner_ = true;
    }
}

SettingsReadOnce::~SettingsReadOnce() {
    if (owner_) store().held.reset();
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
