#include "elements/icon_win.h"

#include <windows.h>

#include <map>

#include "base/file.h"
#include "elements/obj_win.h"

namespace {
std::map<int, std::shared_ptr<const Dib>> resources_;
// User icons by number. The file is looked at again at most once a second, so an icon the user
// edits or deletes shows so without a disk read per object per paint.
struct UserIcon {
    std::shared_ptr<const Dib> dib;  // null: could not load
    FILETIME written{};
    DWORD checked = 0;
};
std::map<int, UserIcon> user_;

bool write_time(const std::string& path, FILETIME& t) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return false;
    t = a.ftLastWriteTime;
    return true;
}

}  // namespace

std::shared_ptr<const Dib> icon_file_dib(const std::string& path, unsigned long& err) {
    err = 0;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        err = GetLastError();
        return nullptr;
    }
    std::string bytes;
    DWORD size = GetFileSize(f, nullptr);
    // A 28 x 28 icon is a few kilobytes; refuse anything absurd rather than allocate it.
    if (size != INVALID_FILE_SIZE && size <= 64u * 1024 * 1024) {
        bytes.resize(size);
        DWORD got = 0;
        if (!ReadFile(f, bytes.data(), size, &got, nullptr) || got != size) bytes.clear();
    }
    CloseHandle(f);
    auto d = icon_read_bmp(bytes);
    if (!d) {
        err = ERROR_INVALID_DATA;
        return nullptr;
    }
    return std::make_shared<const Dib>(std::move(*d));
}

std::shared_ptr<const Dib> icon_resource_dib(int id) {
    auto it = resources_.find(id);
    if (it != resources_.end()) return it->second;
    std::shared_ptr<const Dib> out;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (HRSRC r = FindResourceA(inst, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */)) {
        HGLOBAL g = LoadResource(inst, r);
        const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
        if (p) {
            if (auto d = icon_read_packed_dib({p, SizeofResource(inst, r)}))
                out = std::make_shared<const Dib>(std::move(*d));
        }
    }
    resources_[id] = out;
    return out;
}

std::shared_ptr<const Dib> icon_bitmap(int number) {
    if (auto res = icon_resource_of(number)) {
        if (auto d = icon_resource_dib(*res)) return d;
    } else {
        DWORD now = GetTickCount();
        auto it = user_.find(number);
        if (it == user_.end() || now - it->second.checked > 1000) {
            std::string path = file_progdir_path(icon_user_file_name(number));
            FILETIME t{};
            bool exists = write_time(path, t);
            bool same = it != user_.end() && exists == static_cast<bool>(it->second.dib) &&
                        (!exists || CompareFileTime(&t, &it->second.written) == 0);
            if (!same) {
                unsigned long err = 0;
                UserIcon u{icon_file_dib(path, err), t, now};
                if (!u.dib) obj_report_load_failure(path, err);
                it = user_.insert_or_assign(number, u).first;
            }
            it->second.checked = now;
        }
        if (it->second.dib) return it->second.dib;
    }
    if (auto d = icon_resource_dib(kIconFallbackBitmap)) return d;
    // Without the program's own resources (should not happen): a 1 x 1 white bitmap.
    static const auto blank = [] {
        Dib d;
        d.width = d.height = 1;
        d.packed.assign(44, 0);
        d.packed[0] = 40; d.packed[4] = 1; d.packed[8] = 1; d.packed[12] = 1; d.packed[14] = 24;
        d.packed[40] = d.packed[41] = d.packed[42] = 0xFF;
        return std::make_shared<const Dib>(d);
    }();
    return blank;
}

void icon_cache_clear() { user_.clear(); }
