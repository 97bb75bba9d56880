// Every menu and dialog the program is built with, read from its resources: within one menu, and
// within one dialog, no two items share the letter Alt reaches them by. A second item on a letter
// is never reached from the keyboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace {

// The letter after a single '&' ("&&" is an ampersand), upper case; 0 for none.
wchar_t mnemonic(const std::wstring& text) {
    for (size_t k = 0; k + 1 < text.size(); ++k) {
        if (text[k] != L'&') continue;
        if (text[k + 1] != L'&') return static_cast<wchar_t>(std::towupper(text[k + 1]));
        ++k;
    }
    return 0;
}

std::string narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

// Each letter used twice among `items`, with both texts.
void find_twice(const std::vector<std::wstring>& items, const std::string& where, std::vector<std::string>& out) {
    std::map<wchar_t, std::wstring> seen;
    for (const auto& t : items) {
        const wchar_t m = mnemonic(t);
        if (!m) continue;
        auto [it, fresh] = seen.emplace(m, t);
        if (!fresh) out.push_back(where + ": '" + narrow({m}) + "' on \"" + narrow(it->second) + "\" and \"" + narrow(t) + "\"");
    }
}

void check_menu(HMENU menu, const std::string& where, std::vector<std::string>& out) {
    std::vector<std::wstring> items;
    for (int k = 0, n = GetMenuItemCount(menu); k < n; ++k) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(k), text, 256, MF_BYPOSITION);
        items.push_back(text);
        if (HMENU sub = GetSubMenu(menu, k)) check_menu(sub, where + " > " + narrow(text), out);
    }
    find_twice(items, where, out);
}

// Reads a dialog template (plain or extended) for the texts of its buttons and labels.
struct TemplateReader {
    const BYTE* p;
    const BYTE* end;
    bool ok = true;

    WORD word() {
        if (p + 2 > end) {
            ok = false;
            return 0;
        }
        WORD w = static_cast<WORD>(p[0] | p[1] << 8);
        p += 2;
        return w;
    }
    DWORD dword() {
        DWORD lo = word();
        return lo | static_cast<DWORD>(word()) << 16;
    }
    // A string, or an ordinal given as "#n".
    std::wstring sz_or_ord() {
        WORD first = word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(word());
        std::wstring s;
        for (WORD c = first; ok && c != 0; c = word()) s += static_cast<wchar_t>(c);
        return s;
    }
    void align() {
        while (ok && (reinterpret_cast<UINT_PTR>(p) & 3)) ++p;
    }
};

// Texts of the controls that take a mnemonic: buttons of every kind but owner-drawn, and text
// labels that do not show '&' as it is.
std::vector<std::wstring> dialog_texts(const BYTE* data, DWORD size, std::wstring& caption) {
    TemplateReader r{data, data + size};
    const bool ex = r.word() == 1 && r.word() == 0xFFFF;
    r.p = data;
    DWORD style;
    WORD count;
    if (ex) {
        r.p += 4 + 4 + 4;  // version, signature, help id, extended style
        style = r.dword();
    } else {
        style = r.dword();
        r.dword();
    }
    count = r.word();
    r.p += 8;  // x, y, cx, cy
    r.sz_or_ord();
    r.sz_or_ord();
    caption = r.sz_or_ord();
    if (style & DS_SETFONT) {
        r.word();
        if (ex) r.p += 4;  // weight, italic, charset
        r.sz_or_ord();
    }
    std::vector<std::wstring> out;
    for (int k = 0; k < count && r.ok; ++k) {
        r.align();
        DWORD item_style;
        if (ex) {
            r.p += 8;  // help id, extended style
            item_style = r.dword();
            r.p += 8 + 4;  // x, y, cx, cy, id
        } else {
            item_style = r.dword();
            r.p += 4 + 8 + 2;  // extended style, x, y, cx, cy, id
        }
        const std::wstring cls = r.sz_or_ord(), text = r.sz_or_ord();
        r.p += r.word();
        const bool button = cls == L"#128" || _wcsicmp(cls.c_str(), L"Button") == 0;
        const bool label = cls == L"#130" || _wcsicmp(cls.c_str(), L"Static") == 0;
        const DWORD kind = item_style & 0x1F;
        if ((button && kind != BS_OWNERDRAW) ||
            (label && !(item_style & SS_NOPREFIX) && (kind <= SS_RIGHT || kind == SS_SIMPLE || kind == SS_LEFTNOWORDWRAP)))
            out.push_back(text);
    }
    EXPECT_TRUE(r.ok) << "a dialog template ends early";
    return out;
}

BOOL CALLBACK collect_id(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    reinterpret_cast<std::vector<LPSTR>*>(param)->push_back(name);
    return TRUE;
}

std::vector<LPSTR> resource_ids(LPCSTR type) {
    std::vector<LPSTR> ids;
    EnumResourceNamesA(GetModuleHandleA(nullptr), type, collect_id, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

std::string id_text(LPSTR id) {
    return IS_INTRESOURCE(id) ? std::to_string(reinterpret_cast<UINT_PTR>(id)) : std::string(id);
}

}  // namespace

TEST(Mnemonics, NoMenuHasTwoItemsOnOneLetter) {
    std::vector<std::string> twice;
    const auto ids = resource_ids(RT_MENU);
    ASSERT_GT(ids.size(), 5u);
    for (LPSTR id : ids) {
        HMENU m = LoadMenuA(GetModuleHandleA(nullptr), id);
        ASSERT_NE(m, nullptr) << id_text(id);
        check_menu(m, "menu " + id_text(id), twice);
        DestroyMenu(m);
    }
    EXPECT_TRUE(twice.empty()) << [&] {
        std::string all;
        for (const auto& t : twice) all += t + "\n";
        return all;
    }();
}

TEST(Mnemonics, NoDialogHasTwoControlsOnOneLetter) {
    std::vector<std::string> twice;
    const auto ids = resource_ids(RT_DIALOG);
    ASSERT_GT(ids.size(), 20u);
    HMODULE self = GetModuleHandleA(nullptr);
    for (LPSTR id : ids) {
        HRSRC res = FindResourceA(self, id, RT_DIALOG);
        ASSERT_NE(res, nullptr);
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(self, res)));
        std::wstring caption;
        const auto texts = dialog_texts(data, SizeofResource(self, res), caption);
        find_twice(texts, "dialog " + id_text(id) + " \"" + narrow(caption) + "\"", twice);
    }
    EXPECT_TRUE(twice.empty()) << [&] {
        std::string all;
        for (const auto& t : twice) all += t + "\n";
        return all;
    }();
}
