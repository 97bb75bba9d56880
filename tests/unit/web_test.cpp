// The web client's portable half: routes, credentials, request bytes, the response parser over
// any cuts of the input, redirections and archive names that must stay inside the archive.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/http_body.h"
#include "services/web.h"

namespace {

HttpSetting proxy_on() {
    HttpSetting s;
    s.port = 8080;
    s.use_proxy = 1;
    return s;
}

}  // namespace

TEST(WebRoute, DirectProxyAndBypass) {
    struct Case {
        const char* url;
        HttpSetting s;
        const char *server, *bypass;
        bool ok;
        const char *host;
        int port;
        const char* target;
    } cases[] = {
        {"host/dir/x.vrn", {}, "", "", true, "host", 80, "/dir/x.vrn"},
        {"host", {}, "", "", false, "", 0, ""},  // direct needs a "/"
        {"host:8001/a.vrn", {}, "", "", true, "host", 8001, "/a.vrn"},
        {"host:99999/a.vrn", {}, "", "", false, "", 0, ""},
        {"host/dir/x.vrn", proxy_on(), "proxy", "", true, "proxy", 8080, "http://host/dir/x.vrn"},
        {"host", proxy_on(), "proxy", "", true, "proxy", 8080, "http://host"},
        {"intra/dir/x.vrn", proxy_on(), "proxy", "intra", true, "intra", 8080, "/dir/x.vrn"},
        {"other/x.vrn", proxy_on(), "proxy", "intra", true, "proxy", 8080, "http://other/x.vrn"},
        // The proxy switched on without a server connects directly.
        {"host/x.vrn", proxy_on(), "", "", true, "host", 8080, "/x.vrn"},
        // Action texts end in line breaks; blanks inside cannot stand in a request line.
        {"host/my doc.vrn\r\n", {}, "", "", true, "host", 80, "/my%20doc.vrn"},
        {"host/a\r\nX-Evil: 1", {}, "", "", true, "host", 80, "/a%0D%0AX-Evil:%201"},
        {"ho st/a", {}, "", "", false, "", 0, ""},
        {"/a.vrn", {}, "", "", false, "", 0, ""},
        {"user:pw@host/a.vrn", {}, "", "", false, "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto r = http_route(c.url, c.s, c.server, c.bypass);
        ASSERT_EQ(r.has_value(), c.ok);
        // Every address that is not sent is explained.
        EXPECT_EQ(http_route_problem(c.url, c.s, c.server, c.bypass).empty(), c.ok);
        if (!r) continue;
        EXPECT_EQ(r->host, c.host);
        EXPECT_EQ(r->port, c.port);
        EXPECT_EQ(r->target, c.target);
    }
}

TEST(WebRoute, ProblemsNameTheirCause) {
    struct Case {
        const char *url, *says;
    } cases[] = {{"www.example.com", "names no file"},
                 {"127.0.0.1:8080", "names no file"},
                 {"host:99999/a.vrn", "must be a number from 1 to 65535"},
                 {"user:pw@host/a.vrn", "user name or password"},
                 {"ho st/a", "names no valid server"}};
    for (const auto& c : cases) EXPECT_NE(http_route_problem(c.url, {}, "", "").find(c.says), std::string::npos) << c.url;
    // The archive's file for an address must be a name Windows can make in a short enough path.
    EXPECT_TRUE(http_archive_name_fits("C:\\url", "host/" + std::string(240, 'a')));
    EXPECT_FALSE(http_archive_name_fits("C:\\url", "host/" + std::string(260, 'a')));
    EXPECT_FALSE(http_archive_name_fits(std::string(200, 'd'), "host/" + std::string(60, 'a')));
}

TEST(WebSetting, MalformedValuesGiveTheDefaults) {
    const std::vector<int> def = {80, 1, 0, 1, 0};
    EXPECT_EQ(http_setting_list(http_setting_from(std::nullopt)), def);
    EXPECT_EQ(http_setting_list(http_setting_from(std::vector<int>{8080, 1, 0})), def);
    EXPECT_EQ(http_setting_list(http_setting_from(std::vector<int>{0, 1, 0, 5, 1})), def);
    EXPECT_EQ(http_setting_list(http_setting_from(std::vector<int>{3128, 1, 1, 500, 1})), (std::vector<int>{3128, 1, 1, 100, 1}));
}

TEST(WebAuth, PrefixesMatchOnHostBoundaries) {
    struct Case {
        const char *prefix, *url;
        bool match;
    } cases[] = {
        {"", "any/thing", true},
        {"example.com", "example.com/a", true},
        {"example.com", "example.com:8080/a", true},
        {"example.com", "example.com", true},
        {"example.com", "example.com.evil/a", false},
        {"example.com", "example.comx/a", false},
        {"example.com/", "example.com/dir/a.vrn", true},
        {"example.com/dir", "example.com/directory/a", true},  // with a "/", a plain prefix
        {"example.com/dir", "other.com/dir", false},
    };
    for (const auto& c : cases) EXPECT_EQ(http_prefix_matches(c.prefix, c.url), c.match) << c.prefix << " " << c.url;
    std::vector<HttpAuth> list = {{"a.com/private", "u1", "p1", 0}, {"a.com", "u2", "p2", 1}};
    EXPECT_EQ(http_find_credentials(list, "a.com/private/x")->user, "u1");
    EXPECT_EQ(http_find_credentials(list, "a.com/x")->user, "u2");
    EXPECT_EQ(http_find_credentials(list, "a.community/x"), nullptr);
}

TEST(WebRequest, Base64AndRequestBytes) {
    struct Case {
        const char *text, *start, *out;
    } cases[] = {{"", "S", "S"}, {"f", "", "Zg=="}, {"fo", "", "Zm8="}, {"foo", "", "Zm9v"},
                 {"user:pass", "", "dXNlcjpwYXNz"}, {"\xff\xfe", "", "//4="}};
    for (const auto& c : cases) EXPECT_EQ(http_base64(c.text, c.start), c.out);

    HttpRoute r{"host", 80, "/dir/a.vrn", false};
    HttpAuth a{"host", "alice", "secret", 0};
    HttpRequest q = http_build_request(r, {}, &a);
    EXPECT_EQ(http_serialize(q, "host:8001"),
              "GET /dir/a.vrn HTTP/1.0\r\nHost: host:8001\r\nAccept-Encoding: identity\r\nAuthorization: Basic "
              "YWxpY2U6c2VjcmV0\r\n\r\n");
    // Requests that differ only in credentials are different requests.
    EXPECT_FALSE(q == http_build_request(r, {}, nullptr));
    EXPECT_TRUE(q == http_build_request(r, {}, &a));
}

// Every answer is fed whole, byte by byte and in pieces of seven: the results must agree.
TEST(WebParser, AnswersInAnyCuts) {
    struct Case {
        std::string bytes;
        bool ok;
        HttpFail fail;
        int status;
        std::string body;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", true, HttpFail::None, 200, "hello"},
        {"HTTP/1.0 200 OK\nContent-Type: x\n\nby end of stream", true, HttpFail::None, 200, "by end of stream"},
        {std::string("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n\0\r\n\xff", 42), true, HttpFail::None, 200,
         std::string("\0\r\n\xff", 4)},
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", false, HttpFail::Truncated, 200, ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 100000000\r\n\r\n", false, HttpFail::TooLarge, 200, ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", false, HttpFail::Malformed, 200, ""},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n", true,
         HttpFail::None, 200, "hello world"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: identity, Chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n", true, HttpFail::None, 200, "ok"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", false, HttpFail::Truncated, 200, ""},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", true, HttpFail::None, 404, "no"},
        {"HTTP/1.0 204 No Content\r\n\r\n", true, HttpFail::None, 204, ""},
        {"<html>no status line</html>", false, HttpFail::Malformed, 0, ""},
        {"HTTP/1.0 20x OK\r\n\r\n", false, HttpFail::Malformed, 0, ""},
        {"HTTP/1.0 200 OK\r\nno colon here\r\n\r\n", false, HttpFail::Malformed, 200, ""},
        {"HTTP/1.0 200 OK\r\nContent-Len", false, HttpFail::Malformed, 200, ""},
        {"", false, HttpFail::Truncated, 0, ""},
        // A header line that never ends is too long; a status line that never ends is not HTTP.
        {"HTTP/1.0 200 OK\r\nX: " + std::string(20000, 'x'), false, HttpFail::LongHeader, 200, ""},
        {"HTTP/1.0 200 OK" + std::string(20000, 'x'), false, HttpFail::Malformed, 0, ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabEXTRA", true, HttpFail::None, 200, "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 60));
        for (size_t step : {c.bytes.size() + 1, size_t{1}, size_t{7}}) {
            HttpResponseParser p(1000);
            bool ok = true;
            for (size_t k = 0; k < c.bytes.size() && ok; k += step) ok = p.feed(c.bytes.data() + k, std::min(step, c.bytes.size() - k));
            if (ok) ok = p.finish();
            EXPECT_EQ(ok, c.ok) << "step " << step;
            EXPECT_EQ(p.fail(), c.fail) << "step " << step;
            if (c.ok) {
                EXPECT_EQ(p.status(), c.status);
                EXPECT_EQ(p.body(), c.body);
            } else {
                EXPECT_TRUE(p.body().empty()) << "a refused answer keeps no body";
            }
        }
    }
    // Without a length, only an answer that keeps its connection open ends by a pause.
    struct Open {
        std::string head;
        bool by_pause;
    } opens[] = {{"HTTP/1.1 200 OK\r\n\r\nab", true},
                 {"HTTP/1.1 200 OK\r\nConnection: Close\r\n\r\nab", false},
                 {"HTTP/1.0 200 OK\r\n\r\nab", false},
                 {"HTTP/1.0 200 OK\r\nConnection: upgrade, keep-alive\r\n\r\nab", true},
                 {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nab", false},
                 {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab", false}};
    for (const auto& o : opens) {
        HttpResponseParser q;
        ASSERT_TRUE(q.feed(o.head.data(), o.head.size()));
        EXPECT_EQ(q.ends_by_pause(), o.by_pause) << o.head;
        EXPECT_TRUE(q.in_body());
    }
    // A body without a length grows only to the cap.
    HttpResponseParser p(10);
    std::string head = "HTTP/1.0 200 OK\r\n\r\n", big(11, 'x');
    EXPECT_TRUE(p.feed(head.data(), head.size()));
    EXPECT_FALSE(p.feed(big.data(), big.size()));
    EXPECT_EQ(p.fail(), HttpFail::TooLarge);
}

TEST(WebRedirect, LocationsStayAddressesOnTheirHost) {
    struct Case {
        const char *from, *location;
        std::optional<std::string> to;
    } cases[] = {
        {"a.com/d/x.vrn", "http://b.com/y.vrn", "b.com/y.vrn"},
        {"a.com/d/x.vrn", "HTTP:////b.com/y.vrn", "b.com/y.vrn"},
        {"a.com/d/x.vrn", "http://b.com", "b.com/"},
        {"a.com/d/x.vrn", "http://b.com:8080/y", "b.com:8080/y"},
        {"a.com/d/x.vrn", "/top.vrn", "a.com/top.vrn"},
        {"a.com/d/x.vrn", "y.vrn", "a.com/d/y.vrn"},
        {"a.com/d/x.vrn", "../../x.exe", "a.com/x.exe"},
        {"a.com/d/x.vrn", "/../../../windows/x.exe", "a.com/windows/x.exe"},
        {"a.com/d/x.vrn", "./e/./f/../g.vrn", "a.com/d/e/g.vrn"},
        {"a.com/d/x.vrn", "//c.com/z", "c.com/z"},
        {"a.com/d/x.vrn?q=1", "?q=2", "a.com/d/x.vrn?q=2"},
        {"a.com/d/x.vrn", "y.vrn#part", "a.com/d/y.vrn"},
        {"a.com/d/x.vrn", "https://b.com/y.vrn", std::nullopt},
        {"a.com/d/x.vrn", "file:///c:/x.vrn", std::nullopt},
        {"a.com/d/x.vrn", "", std::nullopt},
        {"a.com/d/x.vrn", "http:///", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(http_redirect_address(c.from, c.location), c.to) << c.location;
    EXPECT_EQ(http_split_location("http://h/p"), (std::pair<std::string, std::string>{"http", "//h/p"}));
    EXPECT_EQ(http_split_location("/p"), (std::pair<std::string, std::string>{"", "/p"}));
}

TEST(WebArchive, NamesAreFlatValidAndReversible) {
    struct Case {
        const char *url, *name;
    } cases[] = {
        {"host/dir/a.vrn", "host dir a.vrn"},
        {"host:8001/a.vrn", "host%3A8001 a.vrn"},
        {"host/..\\..\\x.exe", "host ..%5C..%5Cx.exe"},
        {"host/q?a=1&b=*", "host q%3Fa=1&b=%2A"},
        {"host/dir/", "host dir%2F"},
        {"host/dir.", "host dir%2E"},
        {"host/my doc%.vrn", "host my%20doc%25.vrn"},
        {"host/\"<x>|\x01", "host %22%3Cx%3E%7C%01"},
        {"con", "%63on"},
        {"lpt1.vrn", "%6Cpt1.vrn"},
        {"console/a", "console a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(http_archive_name(c.url), c.name) << c.url;
        EXPECT_EQ(http_url_from_archive_name(c.name), c.url) << c.name;
    }
    // Listing: lower-case, no backups, no unfinished downloads, ".vrn" unless all are asked for.
    std::vector<std::string> found = {"Host Dir A.VRN", "host a.vrn.bak", "~vs0123abcd.tmp", "host pic.png", "host%3A8001 b.vrn",
                                      "Archive.lst"};
    EXPECT_EQ(http_archive_listing(found, false), (std::vector<std::string>{"host/dir/a.vrn", "host:8001/b.vrn"}));
    EXPECT_EQ(http_archive_listing(found, true), (std::vector<std::string>{"host/dir/a.vrn", "host/pic.png", "host:8001/b.vrn"}));
    // Days 0 clears everything; days 1 keeps today's files only.
    EXPECT_TRUE(http_archive_expired(100, 100, 0));
    EXPECT_FALSE(http_archive_expired(100, 100, 1));
    EXPECT_TRUE(http_archive_expired(100, 99, 1));
    EXPECT_FALSE(http_archive_expired(100, 96, 5));
}

// Only the names the archive recorded are cleared, whatever else lies in its folder.
TEST(WebArchive, ClearingTakesOnlyRecordedNames) {
    auto record = http_record_names("host a.vrn\r\nHOST B.VRN\n\nhost gone.vrn\nhost a.vrn\n");
    EXPECT_EQ(record, (std::vector<std::string>{"host a.vrn", "HOST B.VRN", "host gone.vrn"}));
    EXPECT_EQ(http_record_names(http_record_text(record)), record);
    EXPECT_EQ(http_record_add(record, "Host A.vrn").size(), 3u);
    EXPECT_EQ(http_record_add(record, "host c.vrn").back(), "host c.vrn");

    std::vector<ArchiveFile> files = {{"host a.vrn", 90}, {"host b.vrn", 100}, {"My ideas.vrn", 10}, {"archive.lst", 10}};
    ArchiveClear all = http_archive_clear_plan(record, files, 100, 0);
    EXPECT_EQ(all.remove, (std::vector<std::string>{"host a.vrn", "host b.vrn"}));
    EXPECT_TRUE(all.record.empty());
    ArchiveClear old = http_archive_clear_plan(record, files, 100, 5);
    EXPECT_EQ(old.remove, std::vector<std::string>{"host a.vrn"});
    EXPECT_EQ(old.record, std::vector<std::string>{"HOST B.VRN"});
    EXPECT_EQ(old.unrecorded, 1u) << "the user's own file; the record itself is not counted";

    // The report says what went, what stayed and why.
    EXPECT_EQ(http_clear_report(all, 0, 0), "2 files were deleted.\n1 file that the archive did not write stayed: delete it "
                                            "by hand if you no longer need it.");
    ArchiveClear one_failed = old;
    one_failed.record.push_back("host a.vrn");
    EXPECT_EQ(http_clear_report(one_failed, 1, 5).rfind("No file was deleted.\n1 download is less than 5 days old and "
                                                        "stayed.\n1 file could not be deleted (in use, or read-only).\n1 file "
                                                        "that the archive",
                                                        0),
              0u);
    EXPECT_EQ(http_clear_report(ArchiveClear{{"x"}, {}, 0}, 0, 1), "1 file was deleted.");
}

TEST(WebAnswer, BodiesAreTakenOnlyAsStored) {
    struct Case {
        const char *content, *transfer, *coding;
    } cases[] = {{"", "", ""},
                 {"identity", "chunked", ""},
                 {" Identity ", "identity, chunked", ""},
                 {"GZIP", "", "gzip"},
                 {"", "gzip, chunked", "gzip"},
                 {"identity, br", "", "br"},
                 {"", "chunked, deflate", "deflate"}};
    for (const auto& c : cases) EXPECT_EQ(http_body_coding(c.content, c.transfer), c.coding) << c.content << "|" << c.transfer;
}

TEST(WebDialog, TypedAddressesAndPorts) {
    struct Case {
        const char* text;
        bool web;
        const char* address;
        std::vector<std::string> notes;
    } cases[] = {
        {"Host/Page.vrn", true, "host/page.vrn", {}},
        {"host/dir", true, "host/dir/", {}},
        {"host/dir/", true, "host/dir//", {}},
        {"HTTP://Host/Dir", true, "host/dir/", {"Need not type the 'http://'"}},
        {"http://http://h/a.vrn", true, "h/a.vrn", {"Need not type the 'http://'"}},
        {"host/dir", false, "host/dir", {}},
        {"   ", true, "", {"URL cannot be empty"}},
        {"http://", true, "", {"Need not type the 'http://'", "URL cannot be empty"}},
    };
    for (const auto& c : cases) {
        TypedAddress t = http_typed_address(c.text, c.web);
        EXPECT_EQ(t.address, c.address) << c.text;
        EXPECT_EQ(t.notes, c.notes) << c.text;
    }
    struct Port {
        const char *server, *port;
        int value;
        const char* note;
    } ports[] = {{"", "", 80, ""},
                 {"", "8080", 0, "Cannot have Port without Proxy"},
                 {"proxy", "", 0, "Port is needed"},
                 {"proxy", "80a", 0, "Port must be numeric"},
                 {"proxy", "70000", 0, "Port must be numeric"},
                 {"proxy", " 3128 ", 3128, ""}};
    for (const auto& p : ports) {
        PortCheck r = http_check_port(p.server, p.port);
        EXPECT_EQ(r.port, p.value) << p.port;
        EXPECT_EQ(r.note, p.note) << p.port;
    }
}

// The note for another status names it and the address; a plain-text answer is quoted, a page
// of markup never.
TEST(WebAnswer, StatusNotesShowTheStatusNotThePage) {
    EXPECT_EQ(http_status_note(404, "Not Found", "h/a.vrn", "", std::string("no\0t", 4)),
              "OK response with Status 404 Not Found\nh/a.vrn\nno t");
    EXPECT_EQ(http_status_note(404, "Not Found", "h/a.vrn", "text/html; charset=utf-8", "plain words"),
              "OK response with Status 404 Not Found\nh/a.vrn");
    EXPECT_EQ(http_status_note(500, "", "h/a.vrn", "", "  <!DOCTYPE html><html>"), "OK response with Status 500\nh/a.vrn");
    EXPECT_EQ(http_status_note(403, "Forbidden", "h/a.vrn", "Text/Plain", std::string(400, 'y')),
              "OK response with Status 403 Forbidden\nh/a.vrn\n" + std::string(300, 'y') + "...");
    HttpResponseParser p;
    std::string a = "HTTP/1.1 404  Not  Found \r\nContent-Length: 0\r\n\r\n";
    ASSERT_TRUE(p.feed(a.data(), a.size()));
    EXPECT_EQ(p.reason(), "Not  Found");
}

// Inputs the fuzzer kept are replayed on every run.
TEST(FuzzCorpus, HttpAnswersReplay) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "tests/fuzz/http";
    size_t n = 0;
    for (const auto& f : fs::directory_iterator(dir)) {
        std::ifstream in(f.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string data = ss.str();
        SCOPED_TRACE(f.path().filename().string());
        fuzz_http::run(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        ++n;
    }
    EXPECT_GE(n, 5u);
}
