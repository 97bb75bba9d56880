#include "shell/error.h"

#include <cstdio>

namespace {
MsgHooks hooks_;
}

MsgHooks msg_set_hooks(const MsgHooks& h) {
    MsgHooks old = hooks_;
    hooks_ = h;
    return old;
}

void msg_note(const std::string& text) {
    if (hooks_.note) hooks_.note(text);
    else std::fprintf(stderr, "Note: %s\n", text.c_str());
}

void msg_error(const std::string& text) {
    if (hooks_.error) hooks_.error(text);
    else std::fprintf(stderr, "Error: %s\n", text.c_str());
}

bool msg_ask_yes_no(const std::string& text, const std::string& title) {
    return hooks_.ask && hooks_.ask(text, title, false) == 1;
}

int msg_ask_yes_no_cancel(const std::string& text, const std::string& title) {
    return hooks_.ask ? hooks_.ask(text, title, true) : 2;
}
