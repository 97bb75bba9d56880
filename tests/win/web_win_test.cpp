// The web client against real servers on loopback (tests/servers/web.sh): File > Open from Web,
// the archive, redirections, 401 and the password dialog, the proxy, and every way a download
// can fail. Nothing may be written outside the archive directory.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "bars/ticker_win.h"
#include "bars/status.h"
#include "base/dlg_win.h"
#include "base/file.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/dlgs_ids.h"
#include "resources/ids.h"
#include "resources/web_ids.h"
#include "services/action_win.h"
#include "services/web_client_win.h"
#include "services/web_win.h"
#include "win/win_test_util.h"

namespace {

namespace fs = std::filesystem;
using wt::Boxes;
using wt::DdeClient;

// Ports of tests/servers/web.sh: from VORN_WEB_PORT, 14380 unless set.
int port(int k) {
    static const int base = [] {
        const char* v = std::getenv("VORN_WEB_PORT");
        int b = v ? std::atoi(v) : 0;
        return b > 0 && b < 65530 ? b : 14380;
    }();
    return base + k;
}
std::string server(int k) { return "127.0.0.1:" + std::to_string(port(k)); }
const std::string kFiles = server(0), kHandler = server(1), kProxy = std::to_string(port(2)), kNginx = server(3),
                  kCapture = server(4), kHostile = server(5);
// The name a download of `url` is kept under.
std::string kept(const std::string& url) { return http_archive_name(url); }

bool port_open(int port) {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    closesocket(s);
    return ok;
}

// A blocking GET, for reading back what the capture server saw.
std::string fetch(int port, const std::string& path) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    std::string out;
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        std::string q = "GET " + path + " HTTP/1.0\r\n\r\n";
        send(s, q.data(), static_cast<int>(q.size()), 0);
        char buf[4096];
        for (int n; (n = recv(s, buf, sizeof buf, 0)) > 0;) out.append(buf, static_cast<size_t>(n));
    }
    closesocket(s);
    size_t body = out.find("\r\n\r\n");
    return body == std::string::npos ? "" : out.substr(body + 4);
}

// Modal dialogs met while the program runs are answered by these steps, in order: a hook sees
// each dialog start and a timer on it runs the step once the dialog's own loop runs.
struct Driver {
    static inline std::vector<std::pair<std::string, std::function<void(HWND)>>> steps;
    static inline int seen = 0, unexpected = 0;
    static void CALLBACK tick(HWND d, UINT, UINT_PTR id, DWORD) {
        KillTimer(d, id);
        char title[256] = {};
        GetWindowTextA(d, title, sizeof title);
        const std::string t = title;
        if (t != "Password needed to access URL" && t != "Advance Options") return;
        if (steps.empty() || steps.front().first != t) {
            ++unexpected;  // a dialog nobody expected must not wait for ever
            SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        auto step = steps.front().second;
        steps.erase(steps.begin());
        ++seen;
        step(d);
    }
    static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp) {
        auto* c = reinterpret_cast<const CWPRETSTRUCT*>(lp);
        if (code == HC_ACTION && c->message == WM_INITDIALOG) SetTimer(c->hwnd, 0x5EB, 30, tick);
        return CallNextHookEx(nullptr, code, wp, lp);
    }
};

void set_text(HWND d, int id, const std::string& t) { SetDlgItemTextA(d, id, t.c_str()); }
void press(HWND d, int id) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id))); }

// Advance Options > Clear Archive with 0 days, as a user asks it from the Open Web dialog `d`.
void clear_whole_archive(HWND d) {
    Driver::steps = {{"Advance Options", [](HWND o) {
                          SendDlgItemMessageA(o, IDC_WEB_DAYS, CB_SETCURSEL, 0, 0);
                          press(o, IDC_WEB_CLEAR);
                          press(o, IDCANCEL);
                      }}};
    press(d, IDC_WEB_ADVANCED);
}

std::function<void(HWND)> password(const std::string& user, const std::string& pass, const std::string& url = "") {
    return [=](HWND d) {
        set_text(d, IDC_WEB_USER, user);
        set_text(d, IDC_WEB_PASSWORD, pass);
        if (!url.empty()) set_text(d, IDC_WEB_AUTH_URL, url);
        press(d, IDOK);
    };
}

// The archive's own record of the names it wrote is left out.
std::set<std::string> files_under(const fs::path& dir) {
    std::set<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec))
        if (e.path().filename() != kHttpArchiveRecord) out.insert(fs::relative(e.path(), dir).string());
    return out;
}

class Web : public wt::MainWindowTest {
protected:
    Web() : MainWindowTest("vorn_web_test") {}
    void SetUp() override {
        if (!port_open(port(1)) || !port_open(port(0)) || !port_open(port(5)))
            GTEST_SKIP() << "the test web servers are not running (tests/servers/web.sh start)";
        MainWindowTest::SetUp();
        Boxes::notes.clear();  // another copy of the program may be running
        http_forget_credentials();
        archive_ = dir_ / "archive";
        file_setting_set_text("URLlog", archive_.string());
        web_set_limits(60000, 64u << 20);
        Driver::steps.clear();
        Driver::seen = 0;
        Driver::unexpected = 0;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, Driver::hook, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        EXPECT_EQ(Driver::unexpected, 0) << "a dialog came up that the test did not expect";
        if (HWND d = http_openweb_window()) DestroyWindow(d);
        web_set_limits(60000, 64u << 20);
        MainWindowTest::TearDown();
    }
    void command(int id) {
        SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        wt::pump(20);
    }
    // File > Open from Web, the address typed, the source chosen, Open pressed.
    void open_web(const std::string& address, bool archive = false) {
        command(CMD_OPEN_WEB);
        HWND d = http_openweb_window();
        ASSERT_NE(d, nullptr);
        set_text(d, IDC_WEB_URL, address);
        press(d, archive ? IDC_WEB_ARCHIVE : IDC_WEB_ONWEB);
        CheckRadioButton(d, IDC_WEB_ONWEB, IDC_WEB_ARCHIVE, archive ? IDC_WEB_ARCHIVE : IDC_WEB_ONWEB);
        press(d, IDOK);
        wait();
    }
    // Until no request is waiting.
    void wait(DWORD ms = 15000) {
        DWORD end = GetTickCount() + ms;
        do wt::pump(20);
        while ((http_pending_count() > 0 || web_connections() > 0) && static_cast<int>(end - GetTickCount()) > 0);
        wt::pump(50);
    }
    bool opened(const std::string& url) {
        return file_lower(file_current_name()) == file_lower((archive_ / http_archive_name(url)).string()) &&
               std::any_of(view_doc().objs.begin(), view_doc().objs.end(), [](const Obj& o) { return o.id == "From the web"; });
    }
    std::vector<std::string> listed() {
        HWND list = GetDlgItem(http_openweb_window(), IDC_WEB_LIST);
        std::vector<std::string> out;
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int k = 0; k < n; ++k) {
            char buf[1024] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(buf));
            out.emplace_back(buf);
        }
        return out;
    }
    fs::path archive_;
    HHOOK hook_ = nullptr;
};

TEST_F(Web, OpensFromTheWebKeepsTheCopyAndOpensItAgainFromTheArchive) {
    const std::string url = kFiles + "/doc.vrn";
    open_web(url);
    EXPECT_TRUE(Boxes::errors.empty() && Boxes::notes.empty()) << (Boxes::errors.empty() ? Boxes::notes[0] : Boxes::errors[0]);
    EXPECT_TRUE(fs::exists(archive_ / kept(kFiles + "/doc.vrn")));
    EXPECT_TRUE(opened(url));
    EXPECT_EQ(http_openweb_window(), nullptr) << "Open closes the dialog";

    // A text file is kept but not opened, and listed only with "List all".
    open_web(kFiles + "/sub/notes.txt");
    EXPECT_TRUE(fs::exists(archive_ / kept(kFiles + "/sub/notes.txt")));
    EXPECT_TRUE(opened(url));
    command(CMD_OPEN_WEB);
    EXPECT_EQ(listed(), std::vector<std::string>{url});
    press(http_openweb_window(), IDC_WEB_LISTALL);
    CheckDlgButton(http_openweb_window(), IDC_WEB_LISTALL, BST_CHECKED);
    press(http_openweb_window(), IDC_WEB_LISTALL);
    EXPECT_EQ(listed().size(), 2u);
    wt::shot(http_openweb_window(), "web_open_dialog");
    DestroyWindow(http_openweb_window());

    // From the archive nothing is sent: a new document first, then the archived copy.
    command(CMD_NEW);
    EXPECT_FALSE(opened(url));
    open_web(url, true);
    EXPECT_TRUE(opened(url));
    EXPECT_EQ(http_source_choice(), IDC_WEB_ARCHIVE);
    command(CMD_OPEN_WEB);
    EXPECT_EQ(IsDlgButtonChecked(http_openweb_window(), IDC_WEB_ARCHIVE), UINT{BST_CHECKED}) << "the last source is offered again";
}

TEST_F(Web, AnArchivedCopyFetchesItsRelativeNamesAndIsNeverSavedOver) {
    open_web(kFiles + "/doc.vrn");
    ASSERT_TRUE(opened(kFiles + "/doc.vrn"));
    const fs::path copy = archive_ / kept(kFiles + "/doc.vrn");
    const auto before = fs::last_write_time(copy);
    view_doc().set_param(350, 20111);
    file_set_changed();
    command(CMD_SAVE);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("web archive"), std::string::npos) << Boxes::errors[0];
    EXPECT_EQ(fs::last_write_time(copy), before);
    EXPECT_TRUE(file_is_changed()) << "the edits wait for Save As";
    file_clear_changed();

    EXPECT_TRUE(file_open_by_ext("sub\\page.vrn"));
    wait();
    EXPECT_TRUE(fs::exists(archive_ / kept(kFiles + "/sub/page.vrn")));
    EXPECT_EQ(file_lower(file_current_name()), file_lower((archive_ / kept(kFiles + "/sub/page.vrn")).string()));
}

TEST_F(Web, RedirectionsAreFollowedFiveTimesAndStayInTheArchive) {
    struct Case {
        std::string path, archived, note;
    } cases[] = {
        {"/redirect/abs.vrn", kept(kHandler + "/doc.vrn"), ""},
        {"/redirect/dir/rel.vrn", kept(kHandler + "/doc.vrn"), ""},
        {"/redirect/chain/5.vrn", kept(kHandler + "/doc.vrn"), ""},
        {"/redirect/chain/6.vrn", "", "Too many redirections"},
        {"/redirect/loop.vrn", "", "Too many redirections"},
        {"/redirect/https.vrn", "", "Cannot follow the redirection"},
        // "../../..\..\x.exe" climbs no higher than the host, and the backslashes stay in the name.
        {"/redirect/escape.vrn", kept(kHandler + "/..\\..\\x.exe"), "is not a document"},
    };
    const auto outside = files_under(dir_.parent_path() / "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::error_code ec;
        fs::remove_all(archive_, ec);
        Boxes::notes.clear();
        command(CMD_NEW);
        open_web(kHandler + c.path);
        auto in_archive = files_under(archive_);
        if (c.archived.empty()) EXPECT_TRUE(in_archive.empty());
        else EXPECT_EQ(in_archive, std::set<std::string>{c.archived}) << (Boxes::errors.empty() ? "" : Boxes::errors.back());
        if (c.note.empty()) {
            EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes[0];
        } else {
            ASSERT_EQ(Boxes::notes.size(), 1u);
            EXPECT_NE(Boxes::notes[0].find(c.note), std::string::npos) << Boxes::notes[0];
        }
    }
    EXPECT_TRUE(Boxes::errors.empty());
    // Nothing was written beside the test's folder either.
    // The ticker keeps its history there, whenever a message first comes.
    const std::string history = fs::path(ticker_history_file()).filename().string();
    auto after = files_under(dir_.parent_path() / "");
    for (const auto& f : after) {
        if (!outside.count(f) && f != history) {
            EXPECT_EQ(f.rfind(dir_.filename().string(), 0), 0u) << f;
        }
    }
}

TEST_F(Web, PasswordDialogRetriesUntilRightOrCancelled) {
    const std::string url = kHandler + "/auth/doc.vrn";
    // A wrong password asks again; Cancel ends the download.
    Driver::steps = {{"Password needed to access URL", password("alice", "wrong")},
                     {"Password needed to access URL", [](HWND d) { press(d, IDCANCEL); }}};
    open_web(url);
    EXPECT_EQ(Driver::seen, 2);
    EXPECT_FALSE(fs::exists(archive_ / http_archive_name(url)));
    EXPECT_EQ(http_pending_count(), 0u);

    // The right one, given for the host: it opens and serves the next address on that host.
    Driver::steps = {{"Password needed to access URL", password("alice", "secret", "127.0.0.1")}};
    open_web(url);
    EXPECT_TRUE(opened(url));
    ASSERT_FALSE(http_credentials().empty());
    EXPECT_EQ(http_credentials().back().prefix, "127.0.0.1");
    Driver::seen = 0;
    open_web(kHandler + "/auth/other.vrn");
    EXPECT_EQ(Driver::seen, 0) << "no second question on the same host";
    EXPECT_TRUE(fs::exists(archive_ / kept(kHandler + "/auth/other.vrn")));

    // nginx's Basic authorisation, where it runs.
    if (port_open(port(3))) {
        Driver::steps = {{"Password needed to access URL", password("alice", "secret")}};
        Driver::seen = 0;
        open_web(kNginx + "/private/doc.vrn");
        EXPECT_EQ(Driver::seen, 0) << "the host's credentials are already known";
        EXPECT_TRUE(opened(kNginx + "/private/doc.vrn"));
    }
    EXPECT_TRUE(Boxes::errors.empty());
}

TEST_F(Web, ProxyBypassAndAdvanceOptions) {
    if (!port_open(port(2))) GTEST_SKIP() << "tinyproxy is not running";
    // Advance Options: with the proxy off its greyed fields are not checked, and the other
    // changes are stored; with it on a port without a server is refused.
    command(CMD_OPEN_WEB);
    HWND d = http_openweb_window();
    Driver::steps = {{"Advance Options", [](HWND o) {
                          EXPECT_FALSE(IsWindowEnabled(GetDlgItem(o, IDC_WEB_PORT)));
                          EXPECT_EQ(dlg_get_text(o, IDC_WEB_PORT), "80");
                          SendDlgItemMessageA(o, IDC_WEB_DAYS, CB_SETCURSEL, 5, 0);
                          press(o, IDOK);
                      }}};
    press(d, IDC_WEB_ADVANCED);
    EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes[0];
    EXPECT_EQ(file_setting_get_text("HTTP", ""), "[80,1,0,5,0]");
    Driver::steps = {{"Advance Options", [](HWND o) {
                          CheckDlgButton(o, IDC_WEB_USE_PROXY, BST_CHECKED);
                          press(o, IDC_WEB_USE_PROXY);
                          set_text(o, IDC_WEB_SERVER, "");
                          set_text(o, IDC_WEB_PORT, "8080");
                          press(o, IDOK);
                      }}};
    press(d, IDC_WEB_ADVANCED);
    EXPECT_EQ(Boxes::notes, std::vector<std::string>{"Cannot have Port without Proxy"});
    EXPECT_EQ(file_setting_get_text("HTTP", ""), "[80,1,0,5,0]");
    Driver::steps = {{"Advance Options", [](HWND o) {
                          CheckDlgButton(o, IDC_WEB_USE_PROXY, BST_CHECKED);
                          press(o, IDC_WEB_USE_PROXY);
                          EXPECT_TRUE(IsWindowEnabled(GetDlgItem(o, IDC_WEB_SERVER)));
                          set_text(o, IDC_WEB_SERVER, "127.0.0.1");
                          set_text(o, IDC_WEB_PORT, kProxy);
                          wt::shot(o, "web_options");
                          press(o, IDOK);
                      }}};
    press(d, IDC_WEB_ADVANCED);
    EXPECT_EQ(file_setting_get_text("HTTP", ""), "[" + kProxy + ",1,0,5,1]");
    DestroyWindow(d);

    // Through tinyproxy; what the answer holds is the address's server's doing, and is said so.
    open_web(kFiles + "/doc.vrn");
    EXPECT_TRUE(opened(kFiles + "/doc.vrn")) << (Boxes::errors.empty() ? "" : Boxes::errors[0]);
    open_web(kHostile + "/gzip.vrn");
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("The answer from " + kHostile + " came compressed"), std::string::npos) << Boxes::errors[0];
    Boxes::errors.clear();

    // A dead proxy fails, unless the address is bypassed.
    file_setting_set_list("HTTP", {14399, 1, 0, 1, 1});
    command(CMD_NEW);
    open_web(kFiles + "/sub/page.vrn");
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0].rfind("Error: 10061", 0), 0u) << Boxes::errors[0];
    EXPECT_NE(Boxes::errors[0].find("The server 127.0.0.1:14399 (the proxy server) refused"), std::string::npos) << Boxes::errors[0];
    file_setting_set_text("ProxyBypass", kFiles);
    open_web(kFiles + "/sub/page.vrn");
    EXPECT_EQ(Boxes::errors.size(), 1u);
    EXPECT_TRUE(fs::exists(archive_ / kept(kFiles + "/sub/page.vrn")));
}

TEST_F(Web, EveryFailureIsReportedAndNothingHalfWrittenIsKept) {
    web_set_limits(1500, 1u << 20);
    // An earlier copy survives a download cut short.
    fs::create_directories(archive_);
    const fs::path earlier = archive_ / kept(kHandler + "/truncated.vrn");
    { std::ofstream(earlier, std::ios::binary) << "p_(350,20110)\n"; }
    struct Case {
        std::string url, error, note;
    } cases[] = {
        {"127.0.0.1:14399/doc.vrn", "Error: 10061", ""},
        {kHandler + "/silent.vrn", "Error: 10060", ""},
        {kHandler + "/truncated.vrn", "Error: 20003", ""},
        {kHandler + "/big.vrn", "Error: 20002", ""},       // 100 MB announced
        {kHandler + "/endless.vrn", "Error: 20002", ""},   // no length, above the cap
        {kHandler + "/missing.vrn", "", "OK response with Status 404 Not Found\n" + kHandler + "/missing.vrn\nNo such page here"},
        // The status and the address, not the server's page of markup.
        {kHostile + "/missing-html.vrn", "", "OK response with Status 404 Not Found\n" + kHostile + "/missing-html.vrn"},
        {kHostile + "/longheader.vrn", "Error: 20004", ""},
        {kHandler + "/proxyauth.vrn", "", "status 407"},
        {"no-such-host.invalid/doc.vrn", "Error: 110", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        Boxes::errors.clear();
        Boxes::notes.clear();
        open_web(c.url);
        if (!c.error.empty()) {
            ASSERT_EQ(Boxes::errors.size(), 1u);
            EXPECT_EQ(Boxes::errors[0].rfind(c.error, 0), 0u) << Boxes::errors[0];
            EXPECT_NE(Boxes::errors[0].find('\n'), std::string::npos) << "a line says what went wrong";
        } else {
            ASSERT_EQ(Boxes::notes.size(), 1u);
            EXPECT_NE(Boxes::notes[0].find(c.note), std::string::npos) << Boxes::notes[0];
            EXPECT_EQ(Boxes::notes[0].find('<'), std::string::npos) << Boxes::notes[0];
        }
    }
    EXPECT_EQ(files_under(archive_), std::set<std::string>{earlier.filename().string()});
    EXPECT_EQ(file_read_text(earlier.string()).value_or(""), "p_(350,20110)\n");
}

TEST_F(Web, RequestBytesLfAnswersAndHostileNames) {
    open_web(kCapture + "/cap/doc.vrn");
    EXPECT_EQ(fetch(port(1), "/captured"), "GET /cap/doc.vrn HTTP/1.0\r\nHost: " + kCapture + "\r\nAccept-Encoding: identity\r\n\r\n");

    open_web(kHandler + "/lf.vrn");
    EXPECT_TRUE(opened(kHandler + "/lf.vrn"));

    // ':', '*' and '?' of an address never reach the file name.
    const std::string weird = kHandler + "/weird/a:b*c?d.vrn";
    open_web(weird);
    EXPECT_TRUE(fs::exists(archive_ / kept(kHandler + "/weird/a:b*c?d.vrn")));
    EXPECT_TRUE(opened(weird));
    command(CMD_OPEN_WEB);
    auto l = listed();
    EXPECT_NE(std::find(l.begin(), l.end(), weird), l.end());
    EXPECT_TRUE(Boxes::errors.empty());
}

TEST_F(Web, StopForgetsRequestsAndClearArchiveEmptiesIt) {
    open_web(kFiles + "/doc.vrn");
    command(CMD_OPEN_WEB);
    HWND d = http_openweb_window();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_WEB_STOP)));
    // A double click on a listed copy fills the address and opens it; the dialog stays.
    SendDlgItemMessageA(d, IDC_WEB_LIST, LB_SETCURSEL, 0, 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_WEB_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_WEB_LIST)));
    EXPECT_EQ(dlg_get_text(d, IDC_WEB_URL), kFiles + "/doc.vrn");
    wait();
    EXPECT_NE(http_openweb_window(), nullptr);
    // Stop forgets a request that gets no answer; nothing is reported for it later.
    DestroyWindow(d);
    command(CMD_OPEN_WEB);
    set_text(http_openweb_window(), IDC_WEB_URL, kHandler + "/silent.vrn");
    press(http_openweb_window(), IDOK);
    EXPECT_EQ(http_pending_count(), 1u);
    EXPECT_EQ(status_model().status_text(), "Downloading " + kHandler + "/silent.vrn");
    command(CMD_OPEN_WEB);
    d = http_openweb_window();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_WEB_STOP)));
    press(d, IDC_WEB_STOP);
    EXPECT_EQ(http_pending_count(), 0u);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_WEB_STOP)));
    EXPECT_EQ(status_model().status_text().rfind("Downloading", 0), std::string::npos);
    wait(2000);
    EXPECT_TRUE(Boxes::errors.empty() && Boxes::notes.empty());

    // Fold and unfold.
    RECT r;
    press(d, IDC_WEB_FOLD);
    GetWindowRect(d, &r);
    EXPECT_EQ(r.bottom - r.top, 60);
    press(d, IDC_WEB_FOLD);
    GetWindowRect(d, &r);
    EXPECT_GT(r.bottom - r.top, 100);

    // Clear Archive with 0 days takes every file it wrote after a yes.
    Boxes::answer = 1;
    clear_whole_archive(d);
    EXPECT_EQ(Boxes::questions, std::vector<std::string>{"Clear Archive: Archived files older than 0 days will be deleted. "
                                                         "Proceed?\n\nFolder: " + archive_.string()});
    EXPECT_TRUE(files_under(archive_).empty());
    EXPECT_TRUE(listed().empty());
}

// An address that cannot be sent, or a download that cannot be opened, says so; the dialog stays
// open to mend a typed address.
TEST_F(Web, WhatCannotBeOpenedSaysWhy) {
    struct Case {
        std::string typed, note;
    } cases[] = {
        {kFiles, "names no file on its server"},
        {"www.example.com", "names no file on its server"},
        {"bad_host!/doc.vrn", "names no valid server"},
        {"127.0.0.1:99999/doc.vrn", "must be a number from 1 to 65535"},
        {kFiles + "/" + std::string(2000, 'x') + ".vrn", "is too long to be kept in the archive folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.substr(0, 40));
        Boxes::notes.clear();
        open_web(c.typed);
        ASSERT_EQ(Boxes::notes.size(), 1u);
        EXPECT_NE(Boxes::notes[0].find(c.note), std::string::npos) << Boxes::notes[0];
        EXPECT_EQ(http_pending_count(), 0u);
        EXPECT_NE(http_openweb_window(), nullptr);
        DestroyWindow(http_openweb_window());
    }
    // A redirection to an address holding a password, and a file that is no document.
    Boxes::notes.clear();
    open_web(kHostile + "/redirect/userinfo.vrn");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("user name or password"), std::string::npos) << Boxes::notes[0];
    Boxes::notes.clear();
    open_web(kFiles + "/sub/notes.txt");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("is not a document"), std::string::npos) << Boxes::notes[0];
    EXPECT_NE(Boxes::notes[0].find(kept(kFiles + "/sub/notes.txt")), std::string::npos) << Boxes::notes[0];
    EXPECT_TRUE(fs::exists(archive_ / kept(kFiles + "/sub/notes.txt")));
    EXPECT_TRUE(Boxes::errors.empty());
}

// The real note for a 2,000-character address fits on the screen.
HWND long_box_ = nullptr;
RECT long_box_rect_{};
void CALLBACK measure_note(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", "Note");
    if (!box) return;
    KillTimer(nullptr, id);
    long_box_ = box;
    GetWindowRect(box, &long_box_rect_);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(Web, AVeryLongAddressIsRefusedInANoteThatFitsTheScreen) {
    MsgHooks recorder = msg_set_hooks({});
    vorn_install_message_boxes();
    long_box_ = nullptr;
    SetTimer(nullptr, 0, 50, measure_note);
    http_open_url(kFiles + "/" + std::string(2000, 'x') + ".vrn", "", 1, 1);
    msg_set_hooks(recorder);
    ASSERT_NE(long_box_, nullptr);
    EXPECT_LE(long_box_rect_.right - long_box_rect_.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(web_connections(), 0u);
}

// Stop closes the connection at once: the server meets a closed socket, not one only shut down.
TEST_F(Web, StopClosesTheConnectionAtOnce) {
    command(CMD_OPEN_WEB);
    set_text(http_openweb_window(), IDC_WEB_URL, kHostile + "/hold.vrn");
    press(http_openweb_window(), IDOK);
    DWORD end = GetTickCount() + 5000;
    while (fetch(port(5), "/held") != "open" && static_cast<int>(end - GetTickCount()) > 0) wt::pump(50);
    ASSERT_EQ(fetch(port(5), "/held"), "open");
    command(CMD_OPEN_WEB);
    press(http_openweb_window(), IDC_WEB_STOP);
    EXPECT_EQ(web_connections(), 0u);
    end = GetTickCount() + 3000;
    while (fetch(port(5), "/held") != "closed" && static_cast<int>(end - GetTickCount()) > 0) Sleep(50);
    EXPECT_EQ(fetch(port(5), "/held"), "closed");
}

// The archive folder may be one of the user's own (Option > Files): clearing it deletes only
// the downloads, even files named as a download would be.
TEST_F(Web, ClearArchiveDeletesOnlyWhatTheArchiveWrote) {
    fs::create_directories(archive_);
    const std::set<std::string> own = {"My ideas.vrn", "notes.txt", kept(kFiles + "/doc.vrn"), "archive.bak"};
    for (const auto& n : own) std::ofstream(archive_ / n) << "p_(350,20110)\n";
    open_web(kFiles + "/sub/page.vrn");
    open_web(kFiles + "/sub/notes.txt");
    ASSERT_TRUE(fs::exists(archive_ / kept(kFiles + "/sub/page.vrn")));
    command(CMD_OPEN_WEB);
    HWND d = http_openweb_window();
    Boxes::answer = 1;
    clear_whole_archive(d);
    EXPECT_EQ(files_under(archive_), own);
    // Clearing says what it left and why.
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes.back(), "2 files were deleted.\n4 files that the archive did not write stayed: delete them by "
                                   "hand if you no longer need them.");
    // The list shows what is left.
    auto left = listed();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{kFiles + "/doc.vrn", "my/ideas.vrn"}));
    EXPECT_TRUE(Boxes::errors.empty());
}

// A body that is compressed against the request's wish, an empty one, or a page that is no
// document never takes the place of a kept copy; the user is told what arrived.
TEST_F(Web, EncodedEmptyOrForeignAnswersNeverReplaceAKeptDocument) {
    fs::create_directories(archive_);
    const std::string kept = "j_(1,\"Kept\",1,0,0,3,0,161,20,1,0,0,\"\")\np_(350,20110)\n";
    struct Case {
        std::string path, why;
    } cases[] = {
        {"/gzip.vrn", "came compressed (gzip)"},
        {"/te-gzip.vrn", "came compressed (gzip)"},
        {"/html.vrn", "is not a document (line 1: "},
        {"/empty.vrn", kHostile + "/empty.vrn is empty: " + kHostile + " sent no document."},
        {"/empty.txt", "is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const fs::path copy = archive_ / http_archive_name(kHostile + c.path);
        { std::ofstream(copy, std::ios::binary) << kept; }
        Boxes::errors.clear();
        command(CMD_NEW);
        open_web(kHostile + c.path);
        ASSERT_EQ(Boxes::errors.size(), 1u);
        EXPECT_NE(Boxes::errors[0].find(c.why), std::string::npos) << Boxes::errors[0];
        EXPECT_NE(Boxes::errors[0].find("The copy kept earlier stays as it was."), std::string::npos) << Boxes::errors[0];
        EXPECT_EQ(file_read_text(copy.string()).value_or(""), kept);
        EXPECT_FALSE(opened(kHostile + c.path));
        EXPECT_FALSE(file_is_changed());
        fs::remove(copy);
        Boxes::errors.clear();
        open_web(kHostile + c.path);
        EXPECT_FALSE(fs::exists(copy)) << "nothing is kept without an earlier copy either";
        ASSERT_EQ(Boxes::errors.size(), 1u);
        EXPECT_NE(Boxes::errors[0].find("Nothing was kept in the archive."), std::string::npos) << Boxes::errors[0];
    }
    // The page that arrived is named by its size and type.
    open_web(kHostile + "/html.vrn");
    EXPECT_NE(Boxes::errors.back().find(": 42 bytes of text/html arrived."), std::string::npos) << Boxes::errors.back();
}

// A web document's relative names are fetched from beside the document's address.
TEST_F(Web, ActionsOfAWebDocumentFetchTheirNeighbours) {
    open_web(kFiles + "/actions.vrn");
    ASSERT_TRUE(file_lower(file_current_name()).find("actions.vrn") != std::string::npos);
    marked_obj_ = {1};
    SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
    wait();
    EXPECT_TRUE(fs::exists(archive_ / kept(kFiles + "/sub/page.vrn")));
    EXPECT_TRUE(opened(kFiles + "/sub/page.vrn"));
    EXPECT_TRUE(Boxes::errors.empty());
}

// An object's action that fetches a document asks about the changed open one once, when the
// download arrives to replace it, by the real box: No, Yes and Cancel each keep their meaning.
TEST_F(Web, AnActionFetchingADocumentAsksAboutTheOpenOneOnce) {
    const std::string local = (dir_ / "local.vrn").string();
    const std::string url = kFiles + "/doc.vrn";
    std::ofstream(local, std::ios::binary) << "j_(1,\"Go\",1,0,0,3,6,161,20,1,0,0,\"http://" + url + "\")\r\np_(350,20110)\r\n";
    const std::string as_written = file_read_text(local).value_or("");
    auto key = [&](UINT vk) {
        SendMessageA(view_inst_, WM_KEYDOWN, vk, 0);
        SendMessageA(view_inst_, WM_KEYUP, vk, 0);
        wt::pump(20);
    };
    // The object moved by a key, then its action run by Enter.
    auto move_and_go = [&] {
        marked_obj_ = {1};
        key(VK_RIGHT);
        ASSERT_TRUE(file_is_changed());
        marked_obj_ = {1};
        key(VK_RETURN);
        wait();
    };
    wt::RealBoxes boxes;
    auto& asked = wt::RealBoxes::asked;

    ASSERT_EQ(file_open_document(local), 1);
    wt::answer("Save File", IDNO);
    move_and_go();
    ASSERT_EQ(asked.size(), 1u) << testing::PrintToString(asked);
    EXPECT_NE(asked[0].find("local.vrn has been changed"), std::string::npos) << asked[0];
    EXPECT_TRUE(opened(url));
    EXPECT_EQ(file_read_text(local).value_or(""), as_written);

    ASSERT_EQ(file_open_document(local), 1);
    wt::answer("Save File", IDYES);
    move_and_go();
    EXPECT_EQ(asked.size(), 2u) << testing::PrintToString(asked);
    EXPECT_TRUE(opened(url));
    Document back;
    std::string err;
    ASSERT_TRUE(view_read_document(local, back, &err)) << err;
    EXPECT_NE(back.objs.at(0).x, 0) << "Yes saved the move";

    // Cancel keeps the document and its edit; the download stays in the archive only.
    ASSERT_EQ(file_open_document(local), 1);
    wt::answer("Save File", IDCANCEL);
    move_and_go();
    EXPECT_EQ(asked.size(), 3u) << testing::PrintToString(asked);
    EXPECT_EQ(file_lower(file_current_name()), file_lower(local));
    EXPECT_TRUE(file_is_changed());

    // A web document's relative neighbour: the same single question.
    file_clear_changed();
    open_web(kFiles + "/actions.vrn");
    wt::answer("Save File", IDNO);
    move_and_go();
    EXPECT_EQ(asked.size(), 4u) << testing::PrintToString(asked);
    EXPECT_TRUE(opened(kFiles + "/sub/page.vrn"));
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
}

}  // namespace

namespace {

// Programs a document would start are recorded, never run.
std::vector<std::string> started_;
bool record_start(const std::string& command) {
    started_.push_back(command);
    return true;
}

// The query value of an address: what the server's decoder gives back as `text`.
std::string query_value(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') out += "%25";
        else if (c == ' ') out += "%20";
        else if (c == '+') out += "%2B";
        else out += c;
    }
    return out;
}

class WebKept : public Web {
protected:
    void SetUp() override {
        Web::SetUp();
        if (IsSkipped()) return;
        saved_ = action_platform();
        action_platform().run_program = record_start;
        started_.clear();
    }
    void TearDown() override {
        if (!IsSkipped()) action_platform() = saved_;
        Web::TearDown();
    }
    // Enter on the object with this ID, as the user runs its action.
    void run(const std::string& id) {
        auto o = view_obj_find_id(id);
        ASSERT_TRUE(o) << id;
        marked_obj_ = {o->key};
        SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(view_inst_, WM_KEYUP, VK_RETURN, 0);
        wait();
    }
    // The program was asked about with No as the default, and started nothing.
    void expect_asked(const std::string& what) {
        ASSERT_EQ(Boxes::questions.size(), 1u) << what;
        EXPECT_NE(Boxes::questions[0].find("This document came from the web."), std::string::npos) << Boxes::questions[0];
        EXPECT_EQ(Boxes::default_no, 1) << what;
        EXPECT_TRUE(started_.empty()) << what;
        Boxes::questions.clear();
        Boxes::default_no = 0;
    }
    // Edits are refused a save in the archive, and the kept copy stays as it was.
    void expect_no_save_in_place(const fs::path& copy) {
        const std::string before = file_read_text(copy.string()).value_or("");
        view_doc().set_param(350, 20111);
        file_set_changed();
        Boxes::errors.clear();
        command(CMD_SAVE);
        ASSERT_EQ(Boxes::errors.size(), 1u);
        EXPECT_NE(Boxes::errors[0].find("web archive"), std::string::npos) << Boxes::errors[0];
        EXPECT_EQ(file_read_text(copy.string()).value_or(""), before);
        EXPECT_FALSE(fs::exists(fs::path(copy).replace_extension(".bk2")));
        file_clear_changed();
        Boxes::errors.clear();
    }
    ActionPlatform saved_;
};

}  // namespace

// A kept copy is known as one from the web whatever spelling of its path opened it: over DDE,
// in the Open dialog, or by another web document's jump.
TEST_F(WebKept, AKeptCopyAsksFirstUnderEverySpellingOfItsPath) {
    open_web(kFiles + "/actions.vrn");
    const fs::path copy = archive_ / kept(kFiles + "/actions.vrn");
    ASSERT_TRUE(fs::exists(copy));
    const std::string full = copy.string(), name = copy.filename().string();
    char short_name[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(full.c_str(), short_name, MAX_PATH), 0u);
    std::string upper = full, slashes = full;
    for (auto& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    const std::vector<std::string> spellings = {
        dir_.string() + "\\.\\archive\\" + name,
        dir_.string() + "\\elsewhere\\..\\archive\\" + name,
        archive_.string() + "\\..\\archive\\.\\" + name,
        slashes,
        upper,
        short_name,
        "\\\\?\\" + full,
    };
    EXPECT_NE(file_lower(short_name), file_lower(full)) << "no short name to try";

    DdeClient dde;
    ASSERT_TRUE(dde.connect());
    for (const auto& s : spellings) {
        SCOPED_TRACE(s);
        command(CMD_NEW);
        ASSERT_TRUE(dde.execute("[open(\"" + s + "\")]"));
        // The title shows the name as the disk writes it, whatever spelling came.
        for (int k = 0; k < 60 && file_lower(file_current_name()) != file_lower(s); ++k) wt::pump(50);
        ASSERT_EQ(file_lower(file_current_name()), file_lower(s));
        run("Run it");
        expect_asked("DDE");
        expect_no_save_in_place(copy);
    }

    // The Open dialog, with the short name typed.
    command(CMD_NEW);
    wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, short_name); });
    command(CMD_OPEN);
    ASSERT_TRUE(view_obj_find_id("Run it"));
    run("Run it");
    expect_asked("Open dialog");
    expect_no_save_in_place(copy);

    // A web document whose jump names the kept copy by another spelling: the copy still asks.
    const std::string detour = dir_.string() + "\\.\\archive\\" + name;
    open_web(kHostile + "/launder.vrn?to=" + query_value(detour));
    ASSERT_TRUE(view_obj_find_id("Reopen")) << (Boxes::errors.empty() ? "" : Boxes::errors[0]);
    run("Run");
    expect_asked("the web document");
    run("Reopen");
    ASSERT_EQ(file_lower(file_current_name()), file_lower(detour));
    EXPECT_TRUE(Boxes::questions.empty()) << "opening a document is no risk";
    run("Run it");
    expect_asked("after the jump");
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
}

// A finished download waits while Object Properties is open, so OK changes the document the
// dialog was opened on; the downloaded one opens after it, as it came. A training card waits
// the same way.
TEST_F(Web, AnAnswerOrACardWaitsForObjectPropertiesToClose) {
    const std::string local = (dir_ / "local.vrn").string();
    std::ofstream(local, std::ios::binary) << "j_(1,\"Actions\",1,0,200,4,0,161,30,1,0,0,\"mine\")\r\np_(350,20110)\r\n";
    ASSERT_EQ(file_open_document(local), 1);
    const std::string url = kHandler + "/delay/1/doc.vrn";
    http_open_url(url, "", 1, 1);
    size_t waiting_seen = 0;
    std::string current_seen;
    wt::when_dialog("Object Properties [#1]", [&](HWND d) {
        wt::pump(2500);  // the answer arrives while the dialog runs
        waiting_seen = dlg_document_waiting();
        current_seen = file_current_name();
        SendMessageA(win_, WM_TCARD, HELP_TCARD_DATA, 105);  // a training card, as the help sends it
        waiting_seen += dlg_document_waiting();
        SetDlgItemTextA(d, IDC_OBJ_ID, "CHANGED");
        wt::press(d, IDOK);
    });
    marked_obj_ = {1};
    command(10772);  // Object Properties of the pop-up menu
    EXPECT_EQ(current_seen, local) << "the document under the dialog stayed";
    EXPECT_EQ(waiting_seen, 1u + 2u);
    wait();
    // The edit went to the local document, which asked to be saved; then the card's sample
    // opened after the download.
    ASSERT_EQ(Boxes::questions.size(), 1u);
    EXPECT_NE(Boxes::questions[0].find("local.vrn"), std::string::npos) << Boxes::questions[0];
    EXPECT_EQ(file_lower(file_name_part(file_current_name())), "sample05.vrn");
    EXPECT_EQ(dlg_document_waiting(), 0u);
    const std::string kept = file_read_text((archive_ / http_archive_name(url)).string()).value_or("");
    EXPECT_NE(kept.find("\"From the web\""), std::string::npos);
    EXPECT_EQ(kept.find("CHANGED"), std::string::npos);
}

// Open from Web takes what is typed at once in its address box: no letter presses a button.
TEST_F(Web, OpenFromWebTakesTypingInItsAddressBox) {
    command(CMD_OPEN_WEB);
    HWND d = http_openweb_window();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_WEB_URL));
    const std::string typed = kFiles + "/act.vrn";
    for (char c : typed) {
        MSG m{GetFocus(), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1, GetTickCount(), {}};
        vorn_route_message(m, nullptr);
        wt::pump(5);
    }
    ASSERT_EQ(http_openweb_window(), d) << "a letter closed the dialog";
    EXPECT_EQ(dlg_get_text(d, IDC_WEB_URL), typed);
    EXPECT_EQ(http_pending_count(), 0u);
}

// A server that sends an HTTP/1.1 answer without a length and keeps the connection open: the
// document is taken once it pauses. One that stops half-way is refused, saying so.
TEST_F(Web, AnAnswerWithoutALengthEndsWhenTheServerPauses) {
    const DWORD t0 = GetTickCount();
    open_web(kHostile + "/http11nolen.vrn");
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    EXPECT_TRUE(opened(kHostile + "/http11nolen.vrn"));
    EXPECT_LT(GetTickCount() - t0, 10000u);
    web_set_limits(1500, 64u << 20);
    open_web(kHostile + "/stall.vrn");
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0].rfind("Error: 20005", 0), 0u) << Boxes::errors[0];
    EXPECT_NE(Boxes::errors[0].find("did not end it"), std::string::npos) << Boxes::errors[0];
    EXPECT_FALSE(fs::exists(archive_ / http_archive_name(kHostile + "/stall.vrn")));
}
