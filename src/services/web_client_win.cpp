// winsock2 before windows.h, or the older winsock header comes in with it.
#include <winsock2.h>

#include "services/web_client_win.h"

#include <algorithm>
#include <memory>

#include "services/web.h"

namespace {

struct Conn {
    int id = 0;
    HWND win = nullptr;
    SOCKET s = INVALID_SOCKET;
    HANDLE task = nullptr;  // the host name lookup under way
    std::vector<char> hostent;
    std::string host;
    int port = 80;
    std::string out;
    size_t sent = 0;
    bool connected = false;
    int error = 0;
    DWORD last = 0;
    HttpResponseParser parser;
    explicit Conn(size_t cap) : parser(cap) {}
};

std::vector<std::unique_ptr<Conn>> conns_;
int next_id_ = 0;
DWORD timeout_ms_ = 60000;
constexpr DWORD kBodyPauseMs = 2000;
size_t max_body_ = 64u << 20;
bool started_ = false;

void start_winsock() {
    if (started_) return;
    WSADATA d;
    started_ = WSAStartup(MAKEWORD(2, 2), &d) == 0;
}

Conn* by_id(int id) {
    for (auto& c : conns_)
        if (c->id == id) return c.get();
    return nullptr;
}

// Closes at once. Messages already queued for the socket go too: its handle is soon given to
// a new socket, whose messages they would otherwise seem to be.
void close_now(SOCKET s, HWND win) {
    WSAAsyncSelect(s, win, 0, 0);
    closesocket(s);
    std::vector<MSG> others;
    MSG m;
    while (PeekMessageA(&m, win, kWebSelectMsg, kWebSelectMsg, PM_REMOVE))
        if (static_cast<SOCKET>(m.wParam) != s) others.push_back(m);
    for (const MSG& o : others) PostMessageA(win, o.message, o.wParam, o.lParam);
}

void fail_later(Conn* c, int error) {
    c->error = error ? error : WSAEINVAL;
    PostMessageA(c->win, kWebFailMsg, static_cast<WPARAM>(c->id), 0);
}

void update_timer(HWND win) {
    if (!win) return;
    bool any = std::any_of(conns_.begin(), conns_.end(), [&](const auto& c) { return c->win == win; });
    if (any) SetTimer(win, kWebTimer, 250, nullptr);
    else KillTimer(win, kWebTimer);
}

// Removes the connection and gives its event.
WebEvent finish(Conn* c, int error) {
    WebEvent e;
    e.conn = c->id;
    e.error = error;
    if (!error) {
        e.status = c->parser.status();
        e.reason = c->parser.reason();
        e.headers = c->parser.headers();
        e.body = c->parser.body();
    }
    if (c->task) WSACancelAsyncRequest(c->task);
    if (c->s != INVALID_SOCKET) close_now(c->s, c->win);
    HWND win = c->win;
    conns_.erase(std::remove_if(conns_.begin(), conns_.end(), [&](const auto& p) { return p.get() == c; }), conns_.end());
    update_timer(win);
    return e;
}

int parser_error(const Conn* c) {
    switch (c->parser.fail()) {
    case HttpFail::TooLarge: return kHttpErrTooLarge;
    case HttpFail::Truncated: return kHttpErrTruncated;
    case HttpFail::LongHeader: return kHttpErrLongHeader;
    default: return kHttpErrMalformed;
    }
}

void connect_to(Conn* c, u_long addr) {
    c->s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (c->s == INVALID_SOCKET) return fail_later(c, WSAGetLastError());
    if (WSAAsyncSelect(c->s, c->win, kWebSelectMsg, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0)
        return fail_later(c, WSAGetLastError());
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(c->port));
    a.sin_addr.s_addr = addr;
    if (connect(c->s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK) fail_later(c, err);
    }
}

void send_rest(Conn* c) {
    while (c->sent < c->out.size()) {
        int n = send(c->s, c->out.data() + c->sent, static_cast<int>(c->out.size() - c->sent), 0);
        if (n == SOCKET_ERROR) return;  // WSAEWOULDBLOCK: FD_WRITE comes back
        c->sent += static_cast<size_t>(n);
    }
}

// Reads what is there; an event when the answer is complete or refused.
std::optional<WebEvent> read_some(Conn* c, bool closing) {
    static char buf[65536];
    for (int round = 0; round < 64; ++round) {
        int n = recv(c->s, buf, sizeof buf, 0);
        if (n > 0) {
            c->last = GetTickCount();
            if (!c->parser.feed(buf, static_cast<size_t>(n))) return finish(c, parser_error(c));
            if (c->parser.done()) return finish(c, 0);
            continue;
        }
        if (n == 0) return c->parser.finish() ? finish(c, 0) : finish(c, parser_error(c));
        int err = WSAGetLastError();
        if (err == WSAEWOULDBLOCK) {
            if (!closing) return std::nullopt;
            Sleep(1);  // the close came with data still on its way in
            continue;
        }
        if (c->parser.finish()) return finish(c, 0);
        return finish(c, c->parser.fail() == HttpFail::Truncated && c->parser.status() == 0 ? err : parser_error(c));
    }
    return std::nullopt;
}

std::optional<WebEvent> on_select(SOCKET s, int event, int error) {
    Conn* c = nullptr;
    for (auto& p : conns_)
        if (p->s == s) c = p.get();
    if (!c) return std::nullopt;
    c->last = GetTickCount();
    switch (event) {
    case FD_CONNECT:
        if (c->connected) return std::nullopt;
        if (error) return finish(c, error);
        c->connected = true;
        send_rest(c);
        return std::nullopt;
    case FD_WRITE: send_rest(c); return std::nullopt;
    case FD_READ: return read_some(c, false);
    case FD_CLOSE:
        if (!c->connected) return finish(c, error ? error : WSAECONNREFUSED);
        if (error && !c->parser.done()) {
            // Keep what arrived before the reset: a complete answer still counts.
            auto e = read_some(c, false);
            if (e) return e;
            return finish(c, error);
        }
        return read_some(c, true);
    default: return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> WebEvent::header(const std::string& name) const {
    for (const auto& [n, v] : headers)
        if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return v;
    return std::nullopt;
}

int web_send(HWND win, const std::string& host, int port, const std::string& bytes) {
    start_winsock();
    auto c = std::make_unique<Conn>(max_body_);
    c->id = ++next_id_;
    if (next_id_ == 0x7fffffff) next_id_ = 0;
    c->win = win;
    c->host = host;
    c->port = port;
    c->out = bytes;
    c->last = GetTickCount();
    Conn* p = c.get();
    conns_.push_back(std::move(c));
    u_long addr = inet_addr(host.c_str());
    if (addr != INADDR_NONE) {
        connect_to(p, addr);
    } else {
        p->hostent.resize(MAXGETHOSTSTRUCT);
        p->task = WSAAsyncGetHostByName(win, kWebHostMsg, host.c_str(), p->hostent.data(), static_cast<int>(p->hostent.size()));
        if (!p->task) fail_later(p, WSAGetLastError());
    }
    update_timer(win);
    return p->id;
}

bool web_is_layer_message(UINT msg, WPARAM wp) {
    return msg == kWebSelectMsg || msg == kWebHostMsg || msg == kWebFailMsg || (msg == WM_TIMER && wp == kWebTimer);
}

std::optional<WebEvent> web_event_step(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kWebSelectMsg) return on_select(static_cast<SOCKET>(wp), WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
    if (msg == kWebFailMsg) {
        Conn* c = by_id(static_cast<int>(wp));
        if (!c || !c->error) return std::nullopt;
        return finish(c, c->error);
    }
    if (msg == kWebHostMsg) {
        for (auto& p : conns_) {
            Conn* c = p.get();
            if (c->task != reinterpret_cast<HANDLE>(wp)) continue;
            c->task = nullptr;
            if (int err = WSAGETASYNCERROR(lp)) return finish(c, err);
            const hostent* h = reinterpret_cast<const hostent*>(c->hostent.data());
            if (!h->h_addr_list || !h->h_addr_list[0]) return finish(c, WSAHOST_NOT_FOUND);
            u_long addr;
            memcpy(&addr, h->h_addr_list[0], sizeof addr);
            connect_to(c, addr);
            return std::nullopt;
        }
        return std::nullopt;
    }
    if (msg == WM_TIMER && wp == kWebTimer) {
        DWORD now = GetTickCount();
        for (auto& p : conns_) {
            Conn* c = p.get();
            // A server that keeps the connection open after a body without a length has said
            // all it will once it pauses; what arrived is then checked as any answer is.
            if (c->parser.ends_by_pause() && now - c->last > std::min(kBodyPauseMs, timeout_ms_))
                return c->parser.finish() ? finish(c, 0) : finish(c, parser_error(c));
            if (now - c->last > timeout_ms_) return finish(c, c->parser.in_body() ? kHttpErrStalled : WSAETIMEDOUT);
        }
    }
    return std::nullopt;
}

void web_close(int conn) {
    if (Conn* c = by_id(conn)) finish(c, 0);
}

void web_close_all() {
    while (!conns_.empty()) finish(conns_.back().get(), 0);
}

size_t web_connections() { return conns_.size(); }

void web_set_limits(DWORD timeout_ms, size_t max_body) {
    timeout_ms_ = timeout_ms;
    max_body_ = max_body;
}
