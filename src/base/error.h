// Errors that stop an operation, and the three message boxes every subsystem uses (portable).
// Portable code reports through these hooks; the main window installs the real boxes, tests
// install recorders.
#pragma once

#include <exception>
#include <string>

// Raised where an operation must stop; caught by the trap around every command and window event,
// which shows the error box. `text` is shown with the code when not empty.
struct VornError : std::exception {
    int code = 0;
    std::string text;
    explicit VornError(int c, std::string t = {}) : code(c), text(std::move(t)) {}
    const char* what() const noexcept override { return text.empty() ? "VornError" : text.c_str(); }
};

// Raised where the user declined a command (a question answered No) before it changed
// anything: the trap ends the command without a message.
struct VornDeclined : std::exception {
    const char* what() const noexcept override { return "declined"; }
};

[[noreturn]] inline void vorn_raise(int code, std::string text = {}) { throw VornError(code, std::move(text)); }

// The note (title "Note", information icon) and the error box (title "Error", stop icon).
void msg_note(const std::string& text);
void msg_error(const std::string& text);
// Yes/no question; true for yes.
bool msg_ask_yes_no(const std::string& text, const std::string& title);
// Yes/No/Cancel: 1 yes, 2 no, 3 cancel.
int msg_ask_yes_no_cancel(const std::string& text, const std::string& title);
// Yes/no question whose default button is No, for steps a careless Enter must not take; true
// for yes. Without a hook of its own it is never answered yes.
bool msg_ask_default_no(const std::string& text, const std::string& title);

// The text with a line break inserted into every run of more than `width` characters without a
// blank or line break (after a "\\" or "/" where one is near), so a long path or address
// cannot make a message box wider than the screen.
std::string msg_break_long_words(const std::string& text, size_t width = 64);

struct MsgHooks {
    void (*note)(const std::string& text) = nullptr;
    void (*error)(const std::string& text) = nullptr;
    int (*ask)(const std::string& text, const std::string& title, bool with_cancel) = nullptr;
    bool (*ask_default_no)(const std::string& text, const std::string& title) = nullptr;
};
// How many of these boxes are showing now (work that must not run under a box waits for 0).
int msg_box_depth();
// Replaces the hooks; returns the previous ones. Without hooks messages go to stderr and
// questions answer "no".
MsgHooks msg_set_hooks(const MsgHooks& h);

// The error text of "error.txt" for `err_no` ("N text" lines); "" when absent.
std::string error_text_lookup(const std::string& file_text, int err_no);
// format(fmt, text), then with err_no <> 0 "ErrNo=<n> " and its words: the text of error.txt, else
// `system_text` (the platform's own words for the number), else "Unexpected error".
std::string error_message_text(const std::string& fmt, const std::string& text, int err_no,
                               const std::string& error_file_text, const std::string& system_text = {});
