// Services the main window reaches in subsystems built later. Each subsystem sets its entries
// in its <area>_init(); an entry left null means the service is not available yet.
#pragma once

#include <windows.h>

#include <string>

#include "base/key.h"

struct ShellHooks {
    // While a text window (kind 1) or the rich-text editor (kind 7) has the focus, forwarded
    // commands go to it first; it answers 1 when it did not handle the command.
    int (*tw_forward_menu)(int id) = nullptr;
    int (*rich_forward_menu)(int id) = nullptr;
    // Opening files by extension: ".txt" in a text window, ".rtf" in the rich-text editor, an
    // "http://" address through the web client.
    bool (*open_text_file)(const std::string& name) = nullptr;
    bool (*open_rich_file)(const std::string& name) = nullptr;
    bool (*open_url)(const std::string& url) = nullptr;
    // Closes every text window (before another document loads).
    void (*close_text_windows)() = nullptr;
    // Before the document is saved, left or the program ends, the text windows hand over what
    // they hold: leaving, each closes by its closing rules; otherwise object windows store their
    // texts and stay open. False when a window stayed (Cancel, a failed save): the action stops.
    bool (*text_hand_over)(bool leaving) = nullptr;
    // An object's text window holds text its object does not have yet.
    bool (*text_holds_change)() = nullptr;
    // Command line "/u".
    void (*setup_uninstall)(HWND main) = nullptr;
    // After the main window shows: set-up when this copy of the program is not registered yet.
    void (*setup_check)(HWND main) = nullptr;
    // Commands nobody registered (help menu items, pop-up menu items).
    bool (*help_menu_dispatch)(int id) = nullptr;
    // Closing the program: help windows are closed.
    void (*help_quit)() = nullptr;
    // Other messages of the main window (sockets, training cards, WM_HELP); true when handled.
    bool (*main_native)(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) = nullptr;
    // Back/Forward first return from a jump into a sub-document; true when it did.
    bool (*gosub_back)() = nullptr;
    // Siblings on one floor reach each other through these: text windows (mode as tw_inst_)
    // and the object actions' executor; false when nothing was done.
    bool (*tw_open)(Key key, const std::string& name, int mode) = nullptr;
    bool (*action_do)(int code, Key key, const std::string& ext) = nullptr;
    // The shell's document services for the floors above the view (set by the main window):
    // open as the current document (1 done, 0 cancelled or failed), the save question after the
    // open editors handed over what they hold (1 yes, 2 no, 3 cancel) and the title.
    int (*open_document)(const std::string& name) = nullptr;
    int (*ask_save)() = nullptr;
    // Reads the current document again from its file, unasked (the Source Editor wrote it);
    // false when it does not load: the reason was shown with `if_refused` after it, and the
    // document is kept as it was.
    bool (*reload_document)(const std::string& if_refused) = nullptr;
    void (*set_title)(const std::string& name) = nullptr;
    // Tools the object actions open on sibling floors: a rich-text window (key 0 opens file
    // `name`), Find Links, a checklist file; false when nothing was opened.
    bool (*rich_open)(Key key, const std::string& name, int mode) = nullptr;
    bool (*links_open)(HWND parent) = nullptr;
    bool (*clist_open_file)(const std::string& file) = nullptr;
    // The text windows' editor control as a child of `parent` for a tool on a sibling floor: it
    // lays out a text of any length in linear time and answers the system edit control's
    // messages, WM_SETTEXT and WM_GETTEXT being its text. Null when it could not be made.
    HWND (*text_editor)(HWND parent, const LOGFONTA& font, bool wrap) = nullptr;
};
extern ShellHooks shell_hooks_;

using MainNativeHook = bool (*)(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
// Puts `hook` on top of the main window's message hooks, once per run; `below` gets the hook it
// covers, which `hook` calls for what it does not handle. Chaining again at a later start-up would
// close the chain into a loop.
void shell_chain_native(MainNativeHook hook, MainNativeHook& below);
