// REGI: registry access, and the settings store kept in the registry.
#pragma once

#include <windows.h>

#include <string>

#include "base/settings.h"

// The store's key under HKEY_CURRENT_USER; tests point it elsewhere.
extern const char kSettingsKey[];
// Makes the registry the settings store, under HKCU\subkey.
void settings_use_registry(const std::string& subkey = kSettingsKey);

// While one lives, the registry store's values come from one reading of its key, not one
// reading each; what is written goes to the registry as ever.
class SettingsReadOnce {
public:
    SettingsReadOnce();
    ~SettingsReadOnce();
    SettingsReadOnce(const SettingsReadOnce&) = delete;
    SettingsReadOnce& operator=(const SettingsReadOnce&) = delete;

private:
    bool owner_ = false;
};

struct RegValue { std::string text; bool found = false; };
// A text value; `def` and found = false when the key or value is missing.
RegValue reg_get(HKEY root, const std::string& subkey, const std::string& value, const std::string& def);
// Writes REG_SZ, creating the key; a failure gives the note "Registry setvalue error %".
bool reg_set_string(HKEY root, const std::string& subkey, const std::string& value, const std::string& text);
// Removes a key and everything under it (tests clean their key with it).
bool reg_delete_tree(HKEY root, const std::string& subkey);
