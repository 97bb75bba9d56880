#include "base/file.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "base/error.h"
#include "base/settings.h"
#include "base/util.h"

namespace fs = std::filesystem;

namespace {

std::string progdir_;
std::string current_;
bool untitled_ = false;
bool locked_ = false;

bool is_sep(char c) { return c == '\\' || c == '/'; }

fs::path to_path(const std::string& name) { return fs::path(name); }

std::string with_format(const char* fmt, const std::string& text) {
    return util_replace_all(fmt, "%s", text);
}

}  // namespace

void file_set_progdir(const std::string& dir) {
    progdir_ = dir;
    if (!progdir_.empty() && !is_sep(progdir_.back())) progdir_.push_back('\\');
}

std::string file_progdir_path(const std::string& name) { return progdir_ + name; }

std::string file_lower(std::string_view name) { return util_lower(name); }

std::string file_dir_part(std::string_view name) {
    size_t p = name.find_last_of("\\/:");
    return p == std::string_view::npos ? std::string() : std::string(name.substr(0, p + 1));
}

std::string file_name_part(std::string_view name) {
    size_t p = name.find_last_of("\\/:");
    return std::string(p == std::string_view::npos ? name : name.substr(p + 1));
}

std::string file_ext(std::string_view name) {
    std::string base = file_name_part(name);
    size_t p = base.rfind('.');
    return p == std::string::npos ? std::string() : file_lower(std::string_view(base).substr(p));
}

std::string file_with_ext(std::string_view name, std::string_view ext) {
    std::string base = file_name_part(name);
    size_t p = base.rfind('.');
    std::string dir = file_dir_part(name);
    return dir + (p == std::string::npos ? base : base.substr(0, p)) + std::string(ext);
}

std::string file_full_path(std::string_view dir, std::string_view name) {
    if (name.find(':') != std::string_view::npos || (!name.empty() && is_sep(name[0]))) return std::string(name);
    return std::string(dir) + std::string(name);
}

std::optional<std::string> file_vrn_name_of(std::string_view in) {
    std::string ext = file_ext(in);
    if (ext.empty() || ext == ".") {
        std::string s(in);
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s + ".vrn";
    }
    if (ext == ".vrn") return std::string(in);
    if (ext == ".ide") return file_with_ext(in, ".vrn");
    return std::nullopt;
}

std::optional<std::string> file_vrn_name(std::string_view in) {
    auto out = file_vrn_name_of(in);
    if (!out) msg_error("File extension not valid");
    return out;
}

bool file_exists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_regular_file(to_path(name), ec);
}

bool file_may_replace(const std::string& name, const std::string& title) {
    return !file_exists(name) || msg_ask_default_no(name + " exists. Replace it?", title);
}

bool file_is_folder(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_directory(to_path(name), ec);
}

std::string file_failed_text(const char* what, const std::string& name) {
    std::string t = with_format(what, name);
    if (file_is_folder(name)) t += "\n" + name + " is a folder, not a file.";
    return t;
}

const std::string& file_current_name() { return current_; }
void file_set_current_name(const std::string& full_name, bool untitled) {
    current_ = full_name;
    untitled_ = untitled;
}

std::optional<CurrentFile> file_current() {
    if (current_.empty()) return std::nullopt;
    return CurrentFile{current_, file_dir_part(current_)};
}

bool file_is_untitled() { return current_.empty() || untitled_; }

void file_set_locked(bool on) { locked_ = on; }
bool file_locked() { return locked_; }

std::string file_title_text(const std::string& name, bool changed, const std::string& title22, int sub_depth) {
    std::string t = "Vorn Idea Processor - [" + (name.empty() ? std::string(kUntitled) : name) + "]";
    if (changed) t += " *";
    if (!title22.empty()) t += " - " + title22;
    if (sub_depth > 0) t += " (Sub " + std::to_string(sub_depth) + ")";
    return t;
}

std::string file_dir_of(const std::string& name) {
    if (name.find(':') != std::string::npos && file_exists(name)) return file_dir_part(name);
    auto cur = file_current();
    return cur ? cur->dir : file_progdir_path();
}

std::optional<std::string> file_resolve(const std::string& name) {
    if (name.empty()) {
        msg_error(with_format("Filename is empty%s", ""));
        return std::nullopt;
    }
    auto cur = file_current();
    return file_full_path(cur ? cur->dir : file_progdir_path(), name);
}

std::optional<std::string> file_locate(const std::string& name) {
    if (name.empty()) return std::nullopt;
    std::vector<std::string> tries{name, file_progdir_path(name)};
    if (auto cur = file_current()) tries.push_back(cur->dir + name);
    tries.push_back(file_dir_part(file_home_name()) + name);
    for (const auto& t : tries)
        if (file_exists(t)) return t;
    return std::nullopt;
}

std::optional<std::string> file_read_text(const std::string& name) {
    std::string low = file_lower(name);
    if (low.size() >= 12 && low.compare(low.size() - 12, 12, "untitled.txt") == 0) return std::string();
    std::ifstream in(to_path(name), std::ios::binary);
    if (in) {
        std::ostringstream ss;
        ss << in.rdbuf();
        if (!in.bad()) return ss.str();
    }
    msg_error(file_failed_text("Loading %s", name));
    return std::nullopt;
}

std::optional<std::string> file_read_part(const std::string& name, size_t max, bool tail) {
    std::ifstream in(to_path(name), std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    bool cut = static_cast<unsigned long long>(size) > max;
    std::streamoff want = cut ? static_cast<std::streamoff>(max) : size;
    in.seekg(tail ? size - want : 0, std::ios::beg);
    std::string text(static_cast<size_t>(want), '\0');
    in.read(text.data(), want);
    text.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    // A head cut inside a line keeps whole lines only.
    if (cut && !tail) {
        size_t lf = text.rfind('\n');
        text.resize(lf == std::string::npos ? 0 : lf + 1);
    }
    return text;
}

std::optional<std::string> file_random_line(const std::string& name) {
    std::string path = name.find(':') != std::string::npos ? name : file_progdir_path(name);
    auto read = file_read_part(path, kFileListCap, false);
    if (!read) return std::nullopt;
    std::string text = std::move(*read);
    if (text.empty()) return std::nullopt;
    size_t at = static_cast<size_t>(util_random_int(static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF))));
    // A line feed belongs to the line it ends.
    size_t start = 0;
    if (at > 0) {
        size_t p = text.rfind('\n', at - 1);
        start = p == std::string::npos ? 0 : p + 1;
    }
    size_t e = text.find('\n', at);
    std::string line = text.substr(start, e == std::string::npos ? std::string::npos : e - start);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool file_create_if_missing(const std::string& name, const std::string& text) {
    if (file_exists(name)) return true;
    std::ofstream out(to_path(name), std::ios::binary);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out || !out.good()) {
        msg_error(file_failed_text("Saving %s", name));
        return false;
    }
    return true;
}

std::unique_ptr<std::ofstream> file_open_output(const std::string& name) {
    auto out = std::make_unique<std::ofstream>(to_path(name), std::ios::binary);
    if (!*out) {
        msg_error(with_format("Opening %s", name));
        return nullptr;
    }
    return out;
}

std::string file_temp_name() { return file_setting_get_text("TempFile", file_progdir_path("vorn.tmp")); }

double file_time_days(const std::string& name) {
    std::error_code ec;
    auto t = fs::last_write_time(to_path(name), ec);
    if (ec) {
        msg_error("Cannot find " + name);
        return 0.0;
    }
    auto sys = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        t - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
    std::time_t tt = std::chrono::system_clock::to_time_t(sys);
    std::tm tmv{};
#ifdef _WIN32
    localtime_s(&tmv, &tt);
#else
    localtime_r(&tt, &tmv);
#endif
    double day = util_day_number(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday);
    return day + (tmv.tm_hour * 3600 + tmv.tm_min * 60 + tmv.tm_sec) / 86400.0;
}

bool file_copy(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(to_path(from), to_path(to), fs::copy_options::overwrite_existing, ec);
    return !ec;
}

std::string file_home_name() { return file_setting_get_text("HomeFile", file_progdir_path(kHomeFileName)); }

void FileHistory::visit(const std::string& name) {
    if (!items_.empty() && util_compare_nocase(items_[pos_], name) == 0) return;
    if (!items_.empty()) items_.resize(pos_ + 1);
    items_.push_back(name);
    pos_ = items_.size() - 1;
}

std::optional<std::string> FileHistory::back() {
    if (!can_back()) return std::nullopt;
    return items_[--pos_];
}

std::optional<std::string> FileHistory::forward() {
    if (!can_forward()) return std::nullopt;
    return items_[++pos_];
}

void FileHistory::undo_move(int delta) {
    long p = static_cast<long>(pos_) - delta;
    if (p >= 0 && p < static_cast<long>(items_.size())) pos_ = static_cast<size_t>(p);
}

FileHistory& file_history() {
    static FileHistory h;
    return h;
}

std::optional<uint16_t> file_crypt_key(std::string_view password) {
    uint32_t sum = 0;
    for (unsigned char c : password) sum += c;
    uint16_t key = static_cast<uint16_t>(sum & 0xFFFF);
    // A key of 0 would leave the file as it is.
    if (password.empty() || key == 0) return std::nullopt;
    return key;
}

void file_crypt(std::string& data, uint16_t key) {
    const size_t n = data.size();
    const auto lo = static_cast<char>(key & 0xFF), hi = static_cast<char>(key >> 8);
    size_t k = 0;
    for (; k + 1 < n; k += 2) {
        data[k] = static_cast<char>(data[k] ^ lo);
        data[k + 1] = static_cast<char>(data[k + 1] ^ hi);
    }
    if (k < n) data[k] = static_cast<char>(data[k] ^ lo);
}
