// The web client: opens documents and files from web servers through the archive directory,
// and its three dialogs (Open from Web, Advance Options, the password dialog).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "services/web.h"

// Sets the main window's socket messages, the "http://" opener and File > Open from Web.
void web_register();

// File > Open from Web: the archive directory is made if needed, then the dialog opens.
void http_open_from_web(HWND parent);
// Sends a request for `url` (an address without "http://"); false, with a note saying why, when
// nothing was sent. `target` (" " + object id, or empty) and `level` are where an opened
// document is shown; `opened` runs once it is open.
bool http_open_url(const std::string& url, const std::string& target, int level, int mode,
                   const std::function<void()>& opened = {});
// A relative document name met in an archived copy (`archived_path`) is fetched from beside the
// address that copy came from; false when nothing was sent.
bool http_open_relative(const std::string& archived_path, const std::string& name, const std::string& target, int level,
                        const std::function<void()>& opened = {});
// The address of the oldest request still waiting for its answer.
bool http_request_pending(std::string* url);
// Setting "URLlog", default the program directory's "url" (no trailing backslash).
std::string http_archive_dir();
// True when `path` (a file or folder) is or lies in the archive, by whatever spelling: a
// document kept there came from the web.
bool http_in_archive(const std::string& path);
int http_source_choice();
bool http_open_archived(const std::string& url, const std::string& target, int level);
void http_list_archive(HWND dlg);
// Deletes the downloads at least `days` old; what it did, for the user.
std::string http_clear_archive(int days);
void http_options_dialog(HWND parent);
// The password dialog for `url`; true for OK (the credentials are stored).
bool http_password_dialog(HWND parent, const std::string& url);

// For tests.
HWND http_openweb_window();
const std::vector<HttpAuth>& http_credentials();
void http_forget_credentials();
size_t http_pending_count();
