#include "services/web.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (lower(a[k]) != lower(b[k])) return false;
    return true;
}

bool starts_with_i(std::string_view s, std::string_view p) { return s.size() >= p.size() && iequal(s.substr(0, p.size()), p); }

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

const char kHex[] = "0123456789ABCDEF";

void put_escaped(std::string& out, unsigned char c) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Blanks, controls and bytes above 127 cannot stand in a request line.
std::string target_bytes(std::string_view t) {
    std::string out;
    for (char ch : t) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 32 || c >= 127) put_escaped(out, c);
        else out += ch;
    }
    return out;
}

std::optional<uint64_t> parse_decimal(std::string_view s) {
    s = trim(s);
    if (s.empty() || s.size() > 18) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

std::optional<uint64_t> parse_hex(std::string_view s) {
    s = trim(s.substr(0, s.find(';')));
    if (s.empty() || s.size() > 15) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        int h = hex_value(c);
        if (h < 0) return std::nullopt;
        v = v * 16 + static_cast<uint64_t>(h);
    }
    return v;
}

// Resolves "." and ".." in an absolute path; ".." at the top stays at the top.
std::string remove_dot_segments(std::string_view path) {
    std::vector<std::string> segs;
    bool dir_end = false;
    for (size_t pos = 1;;) {
        size_t end = path.find('/', pos);
        std::string seg(path.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        if (seg == "..") {
            if (!segs.empty()) segs.pop_back();
            dir_end = true;
        } else if (seg == ".") {
            dir_end = true;
        } else {
            segs.push_back(seg);
            dir_end = false;
        }
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    std::string r;
    for (const auto& s : segs) r += "/" + s;
    if (dir_end || r.empty()) r += "/";
    return r;
}

}  // namespace

// ---- Settings and routes.

HttpSetting http_setting_from(const std::optional<std::vector<int>>& stored) {
    HttpSetting s;
    if (!stored || stored->size() != 5) return s;
    const auto& v = *stored;
    if (v[0] < 1 || v[0] > 65535) return s;
    s.port = v[0];
    s.major = v[1];
    s.minor = v[2];
    s.days = std::clamp(v[3], 0, 100);
    s.use_proxy = v[4] == 1 ? 1 : 0;
    return s;
}

std::vector<int> http_setting_list(const HttpSetting& s) { return {s.port, s.major, s.minor, s.days, s.use_proxy}; }

std::string http_clean_address(std::string_view url) {
    while (!url.empty() && (url.back() == '\r' || url.back() == '\n' || url.back() == ' ' || url.back() == '\t'))
        url.remove_suffix(1);
    while (!url.empty() && (url.front() == ' ' || url.front() == '\t')) url.remove_prefix(1);
    return std::string(url);
}

std::optional<HttpRoute> http_route(const std::string& url_in, const HttpSetting& s, const std::string& server,
                                    const std::string& bypass) {
    std::string url = http_clean_address(url_in);
    if (url.empty()) return std::nullopt;
    HttpRoute r;
    r.port = s.port;
    const bool bypassed = !bypass.empty() && url.rfind(bypass, 0) == 0;
    if (s.use_proxy == 1 && !http_clean_address(server).empty() && !bypassed) {
        r.proxy = true;
        r.host = http_clean_address(server);
        r.target = "http://" + target_bytes(url);
        return r;
    }
    size_t slash = url.find('/');
    if (slash == std::string::npos || slash == 0) return std::nullopt;
    r.host = url.substr(0, slash);
    if (size_t colon = r.host.rfind(':'); colon != std::string::npos) {
        auto p = parse_decimal(std::string_view(r.host).substr(colon + 1));
        if (!p || *p < 1 || *p > 65535) return std::nullopt;
        r.port = static_cast<int>(*p);
        r.host.resize(colon);
    }
    if (r.host.empty()) return std::nullopt;
    for (char c : r.host)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_')) return std::nullopt;
    r.target = target_bytes(std::string_view(url).substr(slash));
    return r;
}

std::string http_route_problem(const std::string& url_in, const HttpSetting& s, const std::string& server,
                               const std::string& bypass) {
    if (http_route(url_in, s, server, bypass)) return "";
    std::string url = http_clean_address(url_in);
    if (url.empty()) return "URL cannot be empty";
    size_t slash = url.find('/');
    std::string host = url.substr(0, slash);
    if (host.find('@') != std::string::npos)
        return "The address " + url + " holds a user name or password. Give them in the password dialog when the server asks.";
    if (slash == std::string::npos)
        return "The address " + url + " names no file on its server. Add the file's path, for example " + url + "/ideas.vrn";
    if (size_t colon = host.rfind(':'); colon != std::string::npos && colon > 0)
        return "The port in " + url + " must be a number from 1 to 65535.";
    return "The address " + url + " names no valid server.";
}

// ---- Credentials and requests.

bool http_prefix_matches(std::string_view prefix, std::string_view url) {
    if (url.substr(0, prefix.size()) != prefix) return false;
    if (prefix.empty() || prefix.find('/') != std::string_view::npos || url.size() == prefix.size()) return true;
    char next = url[prefix.size()];
    return next == '/' || next == ':';
}

const HttpAuth* http_find_credentials(const std::vector<HttpAuth>& list, std::string_view url) {
    for (const auto& a : list)
        if (http_prefix_matches(a.prefix, url)) return &a;
    return nullptr;
}

std::string http_base64(std::string_view text, std::string_view start) {
    static const char abc[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out(start);
    for (size_t k = 0; k < text.size(); k += 3) {
        size_t n = std::min<size_t>(3, text.size() - k);
        uint32_t v = 0;
        for (size_t j = 0; j < 3; ++j) v = (v << 8) | (j < n ? static_cast<unsigned char>(text[k + j]) : 0u);
        out += abc[(v >> 18) & 63];
        out += abc[(v >> 12) & 63];
        out += n > 1 ? abc[(v >> 6) & 63] : '=';
        out += n > 2 ? abc[v & 63] : '=';
    }
    return out;
}

HttpRequest http_build_request(const HttpRoute& r, const HttpSetting& s, const HttpAuth* auth) {
    HttpRequest q;
    q.target = r.target;
    q.major = s.major;
    q.minor = s.minor;
    if (auth) q.headers.emplace_back("Authorization", "Basic " + http_base64(auth->user + ":" + auth->password));
    return q;
}

std::string http_serialize(const HttpRequest& r, const std::string& host) {
    std::string out = r.method + " " + r.target + " HTTP/" + std::to_string(r.major) + "." + std::to_string(r.minor) + "\r\n";
    if (!host.empty()) out += "Host: " + host + "\r\n";
    out += "Accept-Encoding: identity\r\n";
    for (const auto& [name, value] : r.headers) {
        std::string v;
        for (char c : value)
            if (c != '\r' && c != '\n') v += c;
        out += name + ": " + v + "\r\n";
    }
    out += "\r\n";
    return out + r.body;
}

std::string http_body_coding(std::string_view content_encoding, std::string_view transfer_encoding) {
    auto coding = [](std::string_view list, bool chunked_ok) {
        while (!list.empty()) {
            size_t comma = list.find(',');
            std::string_view c = trim(list.substr(0, comma));
            list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            if (c.empty() || iequal(c, "identity") || (chunked_ok && iequal(c, "chunked"))) continue;
            std::string out;
            for (char ch : c) out += lower(ch);
            return out;
        }
        return std::string();
    };
    std::string c = coding(content_encoding, false);
    return c.empty() ? coding(transfer_encoding, true) : c;
}

// ---- The response parser.

bool HttpResponseParser::bad(HttpFail f) {
    fail_ = f;
    state_ = State::Failed;
    body_.clear();
    return false;
}

std::optional<std::string> HttpResponseParser::header(std::string_view name) const {
    for (const auto& [n, v] : headers_)
        if (iequal(n, name)) return v;
    return std::nullopt;
}

bool HttpResponseParser::add_body(const char* data, size_t n) {
    if (body_.size() + n > max_body_) return bad(HttpFail::TooLarge);
    body_.append(data, n);
    return true;
}

bool HttpResponseParser::headers_done() {
    // Informational answers come before the real one.
    if (status_ >= 100 && status_ < 200) {
        headers_.clear();
        status_ = 0;
        state_ = State::Status;
        return true;
    }
    // Chunked is the last coding when it is there at all.
    if (auto te = header("Transfer-Encoding"); te && iequal(trim(std::string_view(*te).substr(te->rfind(',') + 1)), "chunked")) {
        chunked_ = true;
        state_ = State::ChunkSize;
        return true;
    }
    std::optional<uint64_t> len;
    for (const auto& [n, v] : headers_) {
        if (!iequal(n, "Content-Length")) continue;
        auto l = parse_decimal(v);
        if (!l || (len && *len != *l)) return bad(HttpFail::Malformed);
        len = l;
    }
    if (status_ == 204 || status_ == 304) len = 0;
    for (const auto& [n, v] : headers_)
        if (iequal(n, "Connection"))
            for (std::string_view rest = v; !rest.empty();) {
                size_t comma = rest.find(',');
                std::string_view token = trim(rest.substr(0, comma));
                if (iequal(token, "close")) keeps_open_ = false;
                if (iequal(token, "keep-alive")) keeps_open_ = true;
                rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            }
    if (len && *len > max_body_) return bad(HttpFail::TooLarge);
    length_ = len;
    state_ = len && *len == 0 ? State::Done : State::Body;
    if (len) body_.reserve(static_cast<size_t>(*len));
    return true;
}

bool HttpResponseParser::line(std::string_view l) {
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    switch (state_) {
    case State::Status: {
        if (l.empty() && status_ == 0 && headers_.empty()) return true;  // a stray blank line before an answer
        // "HTTP/1.0 200 OK"
        if (!starts_with_i(l, "HTTP/")) return bad(HttpFail::Malformed);
        size_t sp = l.find(' ');
        if (sp == std::string_view::npos) return bad(HttpFail::Malformed);
        std::string_view code = trim(l.substr(sp + 1)).substr(0, 3);
        if (code.size() != 3 || !std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return bad(HttpFail::Malformed);
        status_ = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
        // "HTTP/1.0" and older answers end by closing; later ones may keep the connection.
        std::string_view version = l.substr(5, sp - 5);
        keeps_open_ = !(version.empty() || version == "0.9" || version == "1.0" || version[0] == '0');
        reason_ = std::string(trim(trim(l.substr(sp + 1)).substr(3)));
        if (status_ < 100) return bad(HttpFail::Malformed);
        state_ = State::Headers;
        return true;
    }
    case State::Headers: {
        if (l.empty()) return headers_done();
        if ((l.front() == ' ' || l.front() == '\t') && !headers_.empty()) {  // folded line
            headers_.back().second += " " + std::string(trim(l));
            return true;
        }
        size_t colon = l.find(':');
        if (colon == std::string_view::npos || colon == 0) return bad(HttpFail::Malformed);
        if (headers_.size() >= kHttpMaxHeaders) return bad(HttpFail::LongHeader);
        headers_.emplace_back(std::string(trim(l.substr(0, colon))), std::string(trim(l.substr(colon + 1))));
        return true;
    }
    case State::ChunkSize: {
        auto n = parse_hex(l);
        if (!n) return bad(HttpFail::Malformed);
        if (*n > max_body_ || body_.size() + *n > max_body_) return bad(HttpFail::TooLarge);
        length_ = n;
        state_ = *n == 0 ? State::Trailer : State::ChunkData;
        return true;
    }
    case State::ChunkEnd:
        if (!l.empty()) return bad(HttpFail::Malformed);
        state_ = State::ChunkSize;
        return true;
    case State::Trailer:
        if (l.empty()) state_ = State::Done;
        return true;
    default: return true;
    }
}

bool HttpResponseParser::feed(const char* data, size_t n) {
    while (n > 0) {
        switch (state_) {
        case State::Done: return true;
        case State::Failed: return false;
        case State::Body:
        case State::ChunkData: {
            size_t take = n;
            if (length_) take = static_cast<size_t>(std::min<uint64_t>(n, *length_ - (chunked_ ? 0 : body_.size())));
            if (chunked_) take = static_cast<size_t>(std::min<uint64_t>(n, *length_));
            if (!add_body(data, take)) return false;
            data += take;
            n -= take;
            if (chunked_) {
                *length_ -= take;
                if (*length_ == 0) state_ = State::ChunkEnd;
            } else if (length_ && body_.size() == *length_) {
                state_ = State::Done;
            }
            break;
        }
        default: {
            const char* nl = static_cast<const char*>(std::memchr(data, '\n', n));
            size_t take = nl ? static_cast<size_t>(nl - data) + 1 : n;
            if (pending_.size() + take > kHttpMaxLine) return bad(state_ == State::Status ? HttpFail::Malformed : HttpFail::LongHeader);
            pending_.append(data, take);
            data += take;
            n -= take;
            if (!nl) break;
            std::string l;
            l.swap(pending_);
            l.pop_back();
            if (!line(l)) return false;
            break;
        }
        }
    }
    return state_ != State::Failed;
}

bool HttpResponseParser::finish() {
    if (state_ == State::Failed) return false;
    if (state_ == State::Done) return true;
    if (state_ == State::Body && !length_) {
        state_ = State::Done;
        return true;
    }
    if (state_ == State::Status && status_ == 0 && pending_.empty() && headers_.empty()) return bad(HttpFail::Truncated);
    return bad(state_ == State::Status || state_ == State::Headers ? HttpFail::Malformed : HttpFail::Truncated);
}

// ---- Redirections.

std::pair<std::string, std::string> http_split_location(std::string_view value) {
    size_t colon = value.find(':');
    if (colon == std::string_view::npos) return {"", std::string(value)};
    return {std::string(value.substr(0, colon)), std::string(value.substr(colon + 1))};
}

std::optional<std::string> http_redirect_address(std::string_view from, std::string_view location) {
    std::string loc = http_clean_address(location);
    if (size_t hash = loc.find('#'); hash != std::string::npos) loc.resize(hash);
    if (loc.empty()) return std::nullopt;
    // A scheme is letters, digits, "+", "-", "." before the first ":", starting with a letter.
    size_t colon = loc.find(':');
    size_t first_slash = loc.find('/');
    bool has_scheme = colon != std::string::npos && colon > 0 && (first_slash == std::string::npos || colon < first_slash) &&
                      std::isalpha(static_cast<unsigned char>(loc[0])) &&
                      std::all_of(loc.begin(), loc.begin() + static_cast<long>(colon), [](char c) {
                          return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
                      });
    std::string host, path;
    if (has_scheme) {
        if (!iequal(loc.substr(0, colon), "http")) return std::nullopt;
        std::string rest = loc.substr(colon + 1);
        while (rest.rfind("//", 0) == 0) rest.erase(0, 2);
        size_t s = rest.find('/');
        host = rest.substr(0, s);
        path = s == std::string::npos ? "/" : rest.substr(s);
    } else if (loc.rfind("//", 0) == 0) {
        std::string rest = loc;
        while (rest.rfind("//", 0) == 0) rest.erase(0, 2);
        size_t s = rest.find('/');
        host = rest.substr(0, s);
        path = s == std::string::npos ? "/" : rest.substr(s);
    } else {
        std::string f = http_clean_address(from);
        size_t s = f.find('/');
        host = f.substr(0, s);
        std::string base = s == std::string::npos ? "/" : f.substr(s);
        if (size_t q = base.find('?'); q != std::string::npos) base.resize(q);
        if (loc[0] == '/') path = loc;
        else if (loc[0] == '?') path = base + loc;
        else path = base.substr(0, base.rfind('/') + 1) + loc;
    }
    if (host.empty()) return std::nullopt;
    std::string query;
    if (size_t q = path.find('?'); q != std::string::npos) {
        query = path.substr(q);
        path.resize(q);
    }
    return host + remove_dot_segments(path) + query;
}

// ---- The archive.

namespace {

bool reserved_device(std::string_view name) {
    std::string base = std::string(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (auto& c : base) c = lower(c);
    static const char* const words[] = {"con", "prn", "aux", "nul"};
    for (const char* w : words)
        if (base == w) return true;
    return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) && base[3] >= '1' && base[3] <= '9';
}

}  // namespace

std::string http_archive_name(std::string_view url) {
    std::string out;
    for (char ch : url) {
        auto c = static_cast<unsigned char>(ch);
        if (ch == '/') out += ' ';
        else if (c < 32 || c == 127 || std::string_view("% \\:*?\"<>|").find(ch) != std::string_view::npos) put_escaped(out, c);
        else out += ch;
    }
    if (out.empty()) return "%2F";
    if (out.back() == ' ' || out.back() == '.') {
        unsigned char c = out.back() == ' ' ? '/' : '.';
        out.pop_back();
        put_escaped(out, c);
    }
    if (reserved_device(out)) {
        unsigned char c = static_cast<unsigned char>(out[0]);
        out.erase(0, 1);
        std::string head;
        put_escaped(head, c);
        out = head + out;
    }
    return out;
}

bool http_archive_name_fits(std::string_view dir, std::string_view url) {
    const size_t name = http_archive_name(url).size();
    return name <= 255 && dir.size() + 1 + name < 260;
}

std::string http_url_from_archive_name(std::string_view name) {
    std::string out;
    for (size_t k = 0; k < name.size(); ++k) {
        char c = name[k];
        if (c == ' ') {
            out += '/';
        } else if (c == '%' && k + 2 < name.size() && hex_value(name[k + 1]) >= 0 && hex_value(name[k + 2]) >= 0) {
            out += static_cast<char>(hex_value(name[k + 1]) * 16 + hex_value(name[k + 2]));
            k += 2;
        } else {
            out += c;
        }
    }
    return out;
}

bool http_is_partial_name(std::string_view name) {
    // "~vs" + eight hex digits + ".tmp", the temporary name of a file being written.
    if (name.size() != 15 || name.substr(0, 3) != "~vs" || !iequal(name.substr(11), ".tmp")) return false;
    return std::all_of(name.begin() + 3, name.begin() + 11, [](char c) { return hex_value(c) >= 0; });
}

std::vector<std::string> http_archive_listing(const std::vector<std::string>& names, bool list_all) {
    std::vector<std::string> out;
    for (const auto& n : names) {
        std::string l;
        for (char c : n) l += lower(c);
        if (http_is_partial_name(l) || l == kHttpArchiveRecord) continue;
        if (l.size() >= 4 && l.compare(l.size() - 4, 4, ".bak") == 0) continue;
        if (!list_all && !(l.size() >= 4 && l.compare(l.size() - 4, 4, ".vrn") == 0)) continue;
        out.push_back(http_url_from_archive_name(l));
    }
    return out;
}

std::vector<std::string> http_record_names(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view l = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        if (!l.empty()) out = http_record_add(std::move(out), std::string(l));
    }
    return out;
}

std::string http_record_text(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) out += n + "\r\n";
    return out;
}

std::vector<std::string> http_record_add(std::vector<std::string> names, const std::string& name) {
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return iequal(n, name); })) names.push_back(name);
    return names;
}

ArchiveClear http_archive_clear_plan(const std::vector<std::string>& record, const std::vector<ArchiveFile>& files,
                                     int32_t today, int days) {
    ArchiveClear plan;
    for (const auto& name : record) {
        auto f = std::find_if(files.begin(), files.end(), [&](const ArchiveFile& x) { return iequal(x.name, name); });
        if (f == files.end()) continue;
        if (http_archive_expired(today, f->day, days)) plan.remove.push_back(f->name);
        else plan.record.push_back(name);
    }
    for (const auto& f : files)
        if (!iequal(f.name, kHttpArchiveRecord) &&
            std::none_of(record.begin(), record.end(), [&](const std::string& n) { return iequal(n, f.name); }))
            ++plan.unrecorded;
    return plan;
}

namespace {

std::string count_of(size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

std::string http_clear_report(const ArchiveClear& plan, size_t failed, int days) {
    const size_t deleted = plan.remove.size() - std::min(failed, plan.remove.size());
    std::string out = deleted == 0 ? "No file was deleted." : count_of(deleted, "file was deleted.", "files were deleted.");
    const size_t younger = plan.record.size() - std::min(failed, plan.record.size());
    if (younger) out += "\n" + count_of(younger, "download is", "downloads are") + " less than " + count_of(days, "day", "days") + " old and stayed.";
    if (failed) out += "\n" + count_of(failed, "file", "files") + " could not be deleted (in use, or read-only).";
    if (plan.unrecorded == 1)
        out += "\n1 file that the archive did not write stayed: delete it by hand if you no longer need it.";
    else if (plan.unrecorded > 1)
        out += "\n" + std::to_string(plan.unrecorded) +
               " files that the archive did not write stayed: delete them by hand if you no longer need them.";
    return out;
}

// ---- The Open from Web dialog.

TypedAddress http_typed_address(std::string_view text, bool web) {
    TypedAddress t;
    std::string a;
    for (char c : http_clean_address(text)) a += lower(c);
    if (a.empty()) {
        t.notes.push_back("URL cannot be empty");
        return t;
    }
    if (a.rfind("http://", 0) == 0) {
        t.notes.push_back("Need not type the 'http://'");
        while (a.rfind("http://", 0) == 0) a.erase(0, 7);
        if (a.empty()) {
            t.notes.push_back("URL cannot be empty");
            return t;
        }
    }
    if (web) {
        size_t slash = a.rfind('/');
        std::string_view last = slash == std::string::npos ? std::string_view(a) : std::string_view(a).substr(slash + 1);
        if (last.find('.') == std::string_view::npos) a += "/";
    }
    t.address = a;
    return t;
}

PortCheck http_check_port(std::string_view server_in, std::string_view port_in) {
    std::string_view server = trim(server_in), port = trim(port_in);
    if (server.empty() && port.empty()) return {80, ""};
    if (server.empty()) return {0, "Cannot have Port without Proxy"};
    if (port.empty()) return {0, "Port is needed"};
    auto p = parse_decimal(port);
    if (!p || *p < 1 || *p > 65535) return {0, "Port must be numeric"};
    return {static_cast<int>(*p), ""};
}

// ---- Texts.

std::string http_status_note(int status, std::string_view reason, std::string_view url, std::string_view content_type,
                             std::string_view body) {
    std::string note = "OK response with Status " + std::to_string(status);
    if (!reason.empty()) note += " " + std::string(reason.substr(0, 80));
    note += "\n" + std::string(url);
    std::string_view type = trim(content_type.substr(0, content_type.find(';')));
    std::string_view start = trim(body.substr(0, 64));
    bool plain = type.empty() ? !start.empty() && start.front() != '<' : iequal(type, "text/plain");
    if (!plain || trim(body).empty()) return note;
    std::string text(trim(body.substr(0, 300)));
    for (auto& c : text)
        if (static_cast<unsigned char>(c) < 32 && c != '\n') c = ' ';
    if (body.size() > 300) text += "...";
    return note + "\n" + text;
}

std::string http_error_text(int code, std::string_view host) {
    std::string h(host), why;
    switch (code) {
    case 10061: why = "The server " + h + " refused the connection."; break;
    case 11001:
    case 11002:
    case 11004: why = "The host " + h + " is unknown."; break;
    case 10060: why = "No answer from " + h + " in time."; break;
    case 10054:
    case 10053: why = "The connection to " + h + " was broken."; break;
    case 10065:
    case 10051: why = "The host " + h + " cannot be reached."; break;
    case kHttpErrMalformed: why = "The answer from " + h + " is not HTTP."; break;
    case kHttpErrLongHeader:
        why = "The answer from " + h + " has a header line above 16 KB or more than 200 header lines; nothing was saved.";
        break;
    case kHttpErrTooLarge: why = "The answer from " + h + " is too large (above 64 MB); nothing was saved."; break;
    case kHttpErrTruncated: why = "The answer from " + h + " ended before it was complete; nothing was saved."; break;
    case kHttpErrStalled:
        why = "The answer from " + h + " began but stopped before it was complete, and the server did not end it; nothing was saved.";
        break;
    default: why = "The request to " + h + " failed."; break;
    }
    return "Error: " + std::to_string(static_cast<unsigned>(code)) + "\n" + why;
}
