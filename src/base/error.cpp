#include "base/error.h"

#include <cstdio>

namespace {
MsgHooks hooks_;
int box_depth_ = 0;

// Counts the boxes showing, also when a hook throws.
struct BoxScope {
    BoxScope() { ++box_depth_; }
    ~BoxScope() { --box_depth_; }
};
}  // namespace

int msg_box_depth() { return box_depth_; }

std::string msg_break_long_words(const std::string& text, size_t width) {
    std::string out;
    size_t run = 0, start = 0;  // length of the current run and where it starts in `out`
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\t') {
            out += c;
            run = 0;
            start = out.size();
            continue;
        }
        if (run == width) {
            // Break after the last separator in the second half of the run, else here.
            size_t cut = out.size();
            size_t sep = out.find_last_of("\\/", out.size() - 1);
            if (sep != std::string::npos && sep >= start + width / 2) cut = sep + 1;
            out.insert(cut, 1, '\n');
            start = cut + 1;
            run = out.size() - start;
        }
        out += c;
        ++run;
    }
    return out;
}

MsgHooks msg_set_hooks(const MsgHooks& h) {
    MsgHooks old = hooks_;
    hooks_ = h;
    return old;
}

void msg_note(const std::string& text) {
    BoxScope showing;
    if (hooks_.note) hooks_.note(text);
    else std::fprintf(stderr, "Note: %s\n", text.c_str());
}

void msg_error(const std::string& text) {
    BoxScope showing;
    if (hooks_.error) hooks_.error(text);
    else std::fprintf(stderr, "Error: %s\n", text.c_str());
}

bool msg_ask_yes_no(const std::string& text, const std::string& title) {
    BoxScope showing;
    return hooks_.ask && hooks_.ask(text, title, false) == 1;
}

bool msg_ask_default_no(const std::string& text, const std::string& title) {
    BoxScope showing;
    return hooks_.ask_default_no && hooks_.ask_default_no(text, title);
}

int msg_ask_yes_no_cancel(const std::string& text, const std::string& title) {
    BoxScope showing;
    return hooks_.ask ? hooks_.ask(text, title, true) : 2;
}

std::string error_text_lookup(const std::string& file_text, int err_no) {
    size_t p = 0;
    while (p < file_text.size()) {
        size_t e = file_text.find('\n', p);
        std::string line = file_text.substr(p, e == std::string::npos ? std::string::npos : e - p);
        p = e == std::string::npos ? file_text.size() : e + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        size_t k = 0;
        while (k < line.size() && line[k] == ' ') ++k;
        size_t d = k;
        bool neg = d < line.size() && line[d] == '-';
        if (neg) ++d;
        size_t digits = d;
        long n = 0;
        while (d < line.size() && line[d] >= '0' && line[d] <= '9' && d - digits < 9) n = n * 10 + (line[d++] - '0');
        if (d == digits || (d < line.size() && line[d] != ' ' && line[d] != '\t')) continue;
        if ((neg ? -n : n) != err_no) continue;
        while (d < line.size() && (line[d] == ' ' || line[d] == '\t')) ++d;
        return line.substr(d);
    }
    return {};
}

std::string error_message_text(const std::string& fmt, const std::string& text, int err_no,
                               const std::string& error_file_text, const std::string& system_text) {
    std::string out;
    for (size_t k = 0; k < fmt.size(); ++k) {
        if (fmt[k] == '%' && k + 1 < fmt.size() && fmt[k + 1] == 's') {
            out += text;
            ++k;
        } else {
            out.push_back(fmt[k]);
        }
    }
    if (err_no != 0) {
        if (!out.empty()) out.push_back(' ');
        out.append("ErrNo=").append(std::to_string(err_no));
        std::string t = error_text_lookup(error_file_text, err_no);
        if (t.empty()) t = system_text;
        out.append(" ").append(t.empty() ? "Unexpected error" : t);
    }
    return out;
}
