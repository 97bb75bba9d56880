// The message ticker's model (portable): the queue, the scroll state, the history and the
// preferences kept in "Hint". The window side draws and runs the one-shot timers.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"

// "Hint" = [Color, Speed, Skill, NoRepeat, 0, 0].
struct HintPrefs {
    int colour = 0;  // 0 Default, 1 Gray, 2 Black, 3 Red, 4 Blue, 5 Green, 6 Yellow
    int speed = 1;   // 0 Very Slow .. 3 Fast
    int skill = 0;   // 0 Beginner .. 2 Advanced
    int no_repeat = 0;
    bool operator==(const HintPrefs&) const = default;
};
// A list of six integers, else the defaults; colour, speed and skill are kept in their ranges.
HintPrefs hint_parse(const std::vector<int>& list);
std::vector<int> hint_list(const HintPrefs& p);
std::vector<int> hint_default();
// The preferences from the settings store.
HintPrefs hint_get();
void hint_set(const HintPrefs& p);

// Colour of a posted message under the Color preference.
Colour ticker_colour(int pref, Colour given);
// Milliseconds to the next tick.
int ticker_interval(bool queue_empty, int speed);

constexpr int kTickerStart = 20;     // offset of a new message
constexpr size_t kTickerLogMax = 5000;
constexpr char kTickerQuestions[] = "question.kba";
constexpr Colour kTickerRed = 0x0000FF, kTickerIdle = 0xC0C0C0;

struct TickerMessage {
    std::string text;
    Colour colour = 0;
    int id = 0;
    bool operator==(const TickerMessage&) const = default;
};

// Where messages come from when the queue is empty.
struct TickerSources {
    // A random question about the marked idea.
    std::function<std::optional<std::string>()> question;
    // A random line of a file.
    std::function<std::optional<std::string>(const std::string&)> random_line;
    // The ticker goes idle: the advisor reloads its parameters.
    std::function<void()> idle;
};

class Ticker {
public:
    // Mode -2 makes `text` the standing file (the queue is emptied); any other mode queues the
    // message and adds it to the history.
    void post(int mode, Colour colour, const std::string& text, int id, const HintPrefs& prefs);

    // The message to show now; may draw a new one from the standing file.
    TickerMessage current(const TickerSources& src);

    // One tick: what to draw and when the next tick comes.
    struct Step {
        std::string text;  // shown from the offset, clipped at the field's right end
        Colour colour = 0;
        int offset = 0;    // pixels from the field's left end (plus 2)
        int interval = 0;
    };
    Step tick(const TickerSources& src, const std::function<int(char)>& char_width, const HintPrefs& prefs);

    // A new status bar starts from the offset of a new message.
    void restart() {
        x_ = kTickerStart;
        y_ = 0;
    }
    // Skip: drops the standing file and the head message; false when the queue was empty.
    bool next_message();

    const std::deque<TickerMessage>& queue() const { return q_; }
    std::optional<TickerMessage> head() const;
    const std::optional<std::string>& standing_file() const { return standing_; }
    int x() const { return x_; }
    int y() const { return y_; }

    const std::string& log() const { return log_; }
    // Counts the changes of the history, so it is written only when it changed.
    int log_serial() const { return log_serial_; }
    // The history read back at start (only its last 5000 characters are kept).
    void set_log(std::string text);

private:
    std::deque<TickerMessage> q_;
    std::optional<std::string> standing_;
    int x_ = kTickerStart, y_ = 0;
    std::string log_;
    int log_serial_ = 0;
};

// The program's ticker.
Ticker& ticker_model();

// What later tools give the ticker: the questions, the random lines (the file reader by
// default), the advisor's reload when idle, and the detail behind a message id.
struct TickerHooks {
    TickerSources sources;
    // Shows the detail of message `id`; false when nothing was shown.
    std::function<bool(int id, const std::string& text)> detail;
    std::function<void()> previous_answers;
};
TickerHooks& ticker_hooks();

// Posts a message (mode 0) or makes `text` the standing file (mode -2). The colour follows the
// Color preference; the message also goes to the history.
void status_post_message(int mode, Colour colour, const std::string& text, int id);
// The message to show now (see Ticker::current).
TickerMessage status_current_message();
