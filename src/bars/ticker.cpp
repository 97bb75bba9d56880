#include "bars/ticker.h"

#include <algorithm>

#include "base/file.h"
#include "base/settings.h"

namespace {

const Colour kPrefColours[] = {0, 0x808080, 0x000000, 0x0000FF, 0xFF0000, 0x00FF00, 0x00FFFF};

void keep_last(std::string& s, size_t n) {
    if (s.size() > n) s.erase(0, s.size() - n);
}

}  // namespace

std::vector<int> hint_default() { return {0, 1, 0, 0, 0, 0}; }

HintPrefs hint_parse(const std::vector<int>& list) {
    if (list.size() != 6) return {};
    HintPrefs p;
    p.colour = std::clamp(list[0], 0, 6);
    // A speed above 3 would give a tick interval of zero or less.
    p.speed = std::clamp(list[1], 0, 3);
    p.skill = std::clamp(list[2], 0, 2);
    p.no_repeat = list[3] ? 1 : 0;
    return p;
}

std::vector<int> hint_list(const HintPrefs& p) { return {p.colour, p.speed, p.skill, p.no_repeat, 0, 0}; }

HintPrefs hint_get() { return hint_parse(file_setting_get_list("Hint", hint_default())); }
void hint_set(const HintPrefs& p) { file_setting_set_list("Hint", hint_list(p)); }

Colour ticker_colour(int pref, Colour given) {
    return pref > 0 && pref <= 6 ? kPrefColours[pref] : given;
}

int ticker_interval(bool queue_empty, int speed) {
    return queue_empty ? 500 : 120 - 20 * std::clamp(speed, 0, 3);
}

void Ticker::post(int mode, Colour colour, const std::string& text, int id, const HintPrefs& prefs) {
    if (mode == -2) {
        q_.clear();
        standing_ = text;
        x_ = kTickerStart;
        y_ = 0;
        return;
    }
    q_.push_back({text, ticker_colour(prefs.colour, colour), id});
    log_ += text;
    log_ += '\n';
    keep_last(log_, kTickerLogMax);
    ++log_serial_;
}

std::optional<TickerMessage> Ticker::head() const {
    if (q_.empty()) return std::nullopt;
    return q_.front();
}

TickerMessage Ticker::current(const TickerSources& src) {
    if (!q_.empty()) return q_.front();
    if (standing_) {
        std::optional<std::string> t;
        if (*standing_ == kTickerQuestions) {
            if (src.question) t = src.question();
        } else if (src.random_line) {
            t = src.random_line(*standing_);
        }
        if (t) {
            q_.push_back({*t, kTickerRed, 0});
            return q_.front();
        }
    }
    if (src.idle) src.idle();
    return {"", kTickerIdle, -1};
}

Ticker::Step Ticker::tick(const TickerSources& src, const std::function<int(char)>& char_width,
                          const HintPrefs& prefs) {
    // The head message is read in place: a copy a tick would cost a long one dearly.
    TickerMessage drawn;
    if (q_.empty()) drawn = current(src);
    const TickerMessage& m = q_.empty() ? drawn : q_.front();
    size_t y = std::min(static_cast<size_t>(y_), m.text.size());
    // No field shows more than this much of it.
    constexpr size_t kShownMax = 4096;
    std::string rest = m.text.substr(y, kShownMax);
    // Line breaks and tabs of a pasted text read as blanks on the one line.
    for (char& c : rest)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    Step s{rest + " ", m.colour, x_, 0};
    if (x_ == 0) {
        if (rest.empty()) {
            if (!q_.empty()) q_.pop_front();
            x_ = kTickerStart;
            y_ = 0;
        } else {
            ++y_;
            x_ = std::max(0, char_width(rest[0]));
        }
    } else if (!q_.empty()) {
        --x_;
    }
    s.interval = ticker_interval(q_.empty(), prefs.speed);
    return s;
}

bool Ticker::next_message() {
    standing_.reset();
    if (q_.empty()) return false;
    q_.pop_front();
    x_ = kTickerStart;
    y_ = 0;
    return true;
}

void Ticker::set_log(std::string text) {
    keep_last(text, kTickerLogMax);
    log_ = std::move(text);
}

Ticker& ticker_model() {
    static Ticker t;
    return t;
}

TickerHooks& ticker_hooks() {
    static TickerHooks h = [] {
        TickerHooks t;
        t.sources.random_line = [](const std::string& name) { return file_random_line(name); };
        return t;
    }();
    return h;
}

void status_post_message(int mode, Colour colour, const std::string& text, int id) {
    ticker_model().post(mode, colour, text, id, hint_get());
}

TickerMessage status_current_message() { return ticker_model().current(ticker_hooks().sources); }
