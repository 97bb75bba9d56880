// HTTP: the portable half of the web client. Settings, the route of a request (direct or through
// the proxy), credentials, the request's bytes, an incremental response parser, redirections,
// archive file names and the texts shown to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Setting "HTTP" = [port, major, minor, days, use proxy].
struct HttpSetting {
    int port = 80, major = 1, minor = 0, days = 1, use_proxy = 0;
};
// A stored value that is not five integers, or holds a port outside 1-65535, gives the defaults.
HttpSetting http_setting_from(const std::optional<std::vector<int>>& stored);
std::vector<int> http_setting_list(const HttpSetting& s);

struct HttpRoute {
    std::string host;
    int port = 80;
    std::string target;  // the request target: a path, or "http://" + address through the proxy
    bool proxy = false;
};
// Where the request for `url` (an address without "http://") goes. Direct: the host is the text
// before the first "/" (an explicit "host:port" gives the port), nullopt when there is no "/" or
// no host. The proxy is used when it is on, has a server and `url` does not begin with `bypass`.
std::optional<HttpRoute> http_route(const std::string& url, const HttpSetting& s, const std::string& server,
                                    const std::string& bypass);
// Why http_route gives nothing for `url`, as a note for the user; "" when it gives a route.
std::string http_route_problem(const std::string& url, const HttpSetting& s, const std::string& server,
                               const std::string& bypass);
// Trailing line breaks and blanks removed (action texts carry them).
std::string http_clean_address(std::string_view url);

struct HttpAuth {
    std::string prefix, user, password;
    int keep = 0;
};
// A prefix without "/" names a host: it matches only when the address goes on with "/", ":" or
// ends there, so "example.com" never matches "example.com.evil/".
bool http_prefix_matches(std::string_view prefix, std::string_view url);
// The first record, oldest first, whose prefix matches; null when none.
const HttpAuth* http_find_credentials(const std::vector<HttpAuth>& list, std::string_view url);

// Start followed by the standard Base64 of text.
std::string http_base64(std::string_view text, std::string_view start = {});

struct HttpRequest {
    std::string method = "GET", target;
    int major = 1, minor = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool operator==(const HttpRequest&) const = default;
};
// The GET request for a route, with "Authorization: Basic ..." when credentials are given.
HttpRequest http_build_request(const HttpRoute& r, const HttpSetting& s, const HttpAuth* auth);
// Request line and headers, each ending in CR LF, an empty line after them. `host` goes in a
// Host header so that servers holding several sites answer for the right one; the body is
// asked for as it is stored ("Accept-Encoding: identity"), never compressed.
std::string http_serialize(const HttpRequest& r, const std::string& host);
// The coding of an answer's body from its Content-Encoding and Transfer-Encoding values ("" when
// the header is absent): "" for a body as stored (identity, or chunked alone, which the parser
// undoes), else the coding named, e.g. "gzip".
std::string http_body_coding(std::string_view content_encoding, std::string_view transfer_encoding);

// ---- Responses.
enum class HttpFail { None, Malformed, TooLarge, Truncated, LongHeader };

class HttpResponseParser {
public:
    explicit HttpResponseParser(size_t max_body = 64u << 20) : max_body_(max_body) {}
    // False once the answer is known to be bad (fail() says why); bytes after a complete
    // answer are ignored.
    bool feed(const char* data, size_t n);
    // The connection closed: an answer without a length ends here; one cut short is Truncated.
    bool finish();
    bool done() const { return state_ == State::Done; }
    HttpFail fail() const { return fail_; }
    int status() const { return status_; }
    const std::string& reason() const { return reason_; }  // "Not Found" of "HTTP/1.0 404 Not Found"
    const std::vector<std::pair<std::string, std::string>>& headers() const { return headers_; }
    // The first header of that name (any case); nullopt when absent.
    std::optional<std::string> header(std::string_view name) const;
    const std::string& body() const { return body_; }
    // A body without a length or chunks from a server that keeps its connection open (HTTP/1.1
    // without "Connection: close"): only a pause tells its end.
    bool ends_by_pause() const { return state_ == State::Body && !length_ && keeps_open_; }
    // The status line and headers have arrived.
    bool in_body() const { return state_ != State::Status && state_ != State::Headers; }

private:
    enum class State { Status, Headers, Body, ChunkSize, ChunkData, ChunkEnd, Trailer, Done, Failed };
    bool bad(HttpFail f);
    bool line(std::string_view l);
    bool headers_done();
    bool add_body(const char* data, size_t n);
    State state_ = State::Status;
    HttpFail fail_ = HttpFail::None;
    size_t max_body_;
    std::string pending_;  // an unfinished line
    int status_ = 0;
    std::string reason_;
    std::vector<std::pair<std::string, std::string>> headers_;
    std::string body_;
    std::optional<uint64_t> length_;  // Content-Length, or the size of the current chunk
    bool chunked_ = false;
    bool keeps_open_ = false;
};

// The value of a "Location" header split at its first ":" (scheme, rest); no ":" gives ("", value).
std::pair<std::string, std::string> http_split_location(std::string_view value);
// The address (without "http://") a redirection from `from` leads to: absolute "http:" values
// lose the scheme and the leading slashes, a bare host gets "/", relative values are taken
// against `from`'s host and directory; "." and ".." never climb above the host. nullopt for
// another scheme or an empty value.
std::optional<std::string> http_redirect_address(std::string_view from, std::string_view location);
constexpr int kHttpMaxRedirects = 5;

// ---- The archive.
// The file name in the archive for an address: "/" becomes a space; "%", a space, "\", ":",
// "*", "?", """, "<", ">", "|" and control bytes become %XX, as do a final dot or space and the
// first letter of a reserved device name, so the name never leaves the archive directory and is
// a valid Windows name.
std::string http_archive_name(std::string_view url);
// True when the archive's file for `url` in folder `dir` is a name Windows can make (at most
// 255 characters) in a path shorter than MAX_PATH.
bool http_archive_name_fits(std::string_view dir, std::string_view url);
// The address again: spaces back to "/", %XX decoded.
std::string http_url_from_archive_name(std::string_view name);
// The list entries for the names found in the archive: lower-case, ".bak" and unfinished
// downloads left out, only ".vrn" unless `list_all`.
std::vector<std::string> http_archive_listing(const std::vector<std::string>& names, bool list_all);
// A file dated `file_day` is cleared on `today` when it is at least `days` days old.
inline bool http_archive_expired(int32_t today, int32_t file_day, int days) { return today - file_day + 1 > days; }
// True for the temporary name of a download still being written.
bool http_is_partial_name(std::string_view name);

// The archive keeps a record of the names it wrote, one a line, in this file of its folder:
// clearing deletes only those, whatever else the folder holds.
constexpr char kHttpArchiveRecord[] = "archive.lst";
std::vector<std::string> http_record_names(std::string_view text);
std::string http_record_text(const std::vector<std::string>& names);
// `names` with `name` once (names compare in any case, as Windows does).
std::vector<std::string> http_record_add(std::vector<std::string> names, const std::string& name);
struct ArchiveFile {
    std::string name;
    int32_t day = 0;  // util_day_number of its date
};
struct ArchiveClear {
    std::vector<std::string> remove;  // files to delete
    std::vector<std::string> record;  // the record afterwards: recorded names still present
    size_t unrecorded = 0;            // files of the folder the record does not name
};
// Clearing on `today`: the recorded files at least `days` old go; files the record does not name
// stay, and names whose files are gone leave the record.
ArchiveClear http_archive_clear_plan(const std::vector<std::string>& record, const std::vector<ArchiveFile>& files,
                                     int32_t today, int days);
// What a clearing did, for the user: how many files went, and which stayed and why (`failed` of
// the plan's files could not be deleted).
std::string http_clear_report(const ArchiveClear& plan, size_t failed, int days);

// ---- The Open from Web dialog's address.
struct TypedAddress {
    std::vector<std::string> notes;
    std::string address;  // empty: nothing to open
};
// Lower-cased, "http://" removed with a note; for the web (`web`), a last part without "." gets
// a "/" after it.
TypedAddress http_typed_address(std::string_view text, bool web);
// The Advance Options port check: the port, or the note that refuses the input.
struct PortCheck {
    int port = 0;
    std::string note;
};
PortCheck http_check_port(std::string_view server, std::string_view port_text);

// ---- Texts for the user.
// "OK response with Status %\n%s": the status with its reason and the address; a plain-text
// body follows (about 300 characters, control bytes as blanks), never a page of markup.
std::string http_status_note(int status, std::string_view reason, std::string_view url, std::string_view content_type,
                             std::string_view body);
// Error codes of the layer beside the socket errors.
constexpr int kHttpErrMalformed = 20001, kHttpErrTooLarge = 20002, kHttpErrTruncated = 20003, kHttpErrLongHeader = 20004,
              kHttpErrStalled = 20005;
// The longest status or header line, and the most header lines, an answer may have.
constexpr size_t kHttpMaxLine = 16384, kHttpMaxHeaders = 200;
// "Error: %U" and a line saying what went wrong.
std::string http_error_text(int code, std::string_view host);
