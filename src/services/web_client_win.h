// The socket and HTTP layer under the web client: one connection object per request over
// WinSock, its activity reported to a window as messages of our own; no threads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Messages to the window given to web_send, and its timer for the time-out.
constexpr UINT kWebSelectMsg = WM_APP + 14300;  // socket activity
constexpr UINT kWebHostMsg = WM_APP + 14301;    // a host name was looked up
constexpr UINT kWebFailMsg = WM_APP + 14302;    // a request that failed before it reached a socket
constexpr UINT_PTR kWebTimer = 14303;

// One finished connection: an answer, or an error code (WinSock's, or kHttpErr...).
struct WebEvent {
    int conn = 0;
    int error = 0;
    int status = 0;
    std::string reason;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::optional<std::string> header(const std::string& name) const;
};

// Connects to host:port and sends `bytes`; the connection's number (never 0). Failures come
// later as an error event.
int web_send(HWND win, const std::string& host, int port, const std::string& bytes);
// True for the messages and the timer of this layer.
bool web_is_layer_message(UINT msg, WPARAM wp);
// Runs one of those messages; the event of a connection that ended with it, if any.
std::optional<WebEvent> web_event_step(UINT msg, WPARAM wp, LPARAM lp);
void web_close(int conn);
void web_close_all();
size_t web_connections();
// Inactivity allowed before a connection ends with 10060, and the largest body kept.
void web_set_limits(DWORD timeout_ms, size_t max_body);
