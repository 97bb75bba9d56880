#include <gtest/gtest.h>

#include <string>

#include "bars/ticker.h"
#include "base/settings.h"

namespace {

// Every character is 3 pixels wide.
int w3(char) { return 3; }

// The messages shown one after the other while ticking.
std::vector<std::string> shown_order(Ticker& t, const TickerSources& src, int messages) {
    std::vector<std::string> out;
    HintPrefs p;
    for (int guard = 0; guard < 100000 && static_cast<int>(out.size()) < messages; ++guard) {
        TickerMessage h = t.current(src);
        if (h.id == -1) break;
        if (out.empty() || out.back() != h.text) out.push_back(h.text);
        t.tick(src, w3, p);
    }
    return out;
}

TEST(TickerHint, MalformedValuesGiveTheDefaultsAndRangesAreKept) {
    struct Case { std::vector<int> in; HintPrefs want; } cases[] = {
        {{6, 3, 2, 1, 0, 0}, {6, 3, 2, 1}},
        {{0, 1, 0, 0, 0}, {}},           // five elements
        {{0, 1, 0, 0, 0, 0, 0}, {}},     // seven
        {{}, {}},
        {{9, 7, -1, 5, 0, 0}, {6, 3, 0, 1}},  // out of range: clamped, the ticker never stops
    };
    for (const auto& c : cases) EXPECT_EQ(hint_parse(c.in), c.want) << c.in.size();
    EXPECT_EQ(hint_list({6, 3, 1, 1}), (std::vector<int>{6, 3, 1, 1, 0, 0}));

    settings_memory_clear();
    settings_set_backend(nullptr);
    settings_backend()->set("Hint", "[1,2");
    EXPECT_EQ(hint_get(), HintPrefs{});
    hint_set({5, 2, 1, 0});
    EXPECT_EQ(settings_backend()->get("Hint"), "[5,2,1,0,0,0]");
    settings_memory_clear();
}

TEST(TickerHint, ColoursAndIntervals) {
    struct Case { int pref; Colour given, want; } colours[] = {
        {0, 0x123456, 0x123456}, {1, 0x123456, 0x808080}, {2, 0x00FFFF, 0x000000}, {3, 0, 0x0000FF},
        {4, 0, 0xFF0000},        {5, 0, 0x00FF00},        {6, 0, 0x00FFFF},
    };
    for (const auto& c : colours) EXPECT_EQ(ticker_colour(c.pref, c.given), c.want) << c.pref;
    EXPECT_EQ(ticker_interval(true, 3), 500);
    EXPECT_EQ(ticker_interval(false, 0), 120);
    EXPECT_EQ(ticker_interval(false, 3), 60);
}

TEST(Ticker, MessagesShowInPostingOrderEachInItsPreferenceColour) {
    Ticker t;
    HintPrefs red{3, 1, 0, 0};
    t.post(0, 0x00FFFF, "A", 7, red);
    t.post(0, 0x808080, "Bb", 8, red);
    t.post(0, 0, "Ccc", 0, {});
    EXPECT_EQ(t.queue()[0], (TickerMessage{"A", 0x0000FF, 7}));
    EXPECT_EQ(t.queue()[1].colour, 0x0000FFu);
    EXPECT_EQ(t.queue()[2].colour, 0u);
    EXPECT_EQ(shown_order(t, {}, 3), (std::vector<std::string>{"A", "Bb", "Ccc"}));
}

TEST(Ticker, StepsMoveOnePixelThenDropOneCharacter) {
    Ticker t;
    t.post(0, 0, "ab", 0, {});
    HintPrefs fast{0, 3, 0, 0};
    Ticker::Step s = t.tick({}, w3, fast);
    EXPECT_EQ(s.text, "ab ");
    EXPECT_EQ(s.offset, 20);
    EXPECT_EQ(s.interval, 60);
    for (int i = 0; i < 19; ++i) t.tick({}, w3, fast);
    EXPECT_EQ(t.x(), 0);
    s = t.tick({}, w3, fast);  // 'a' leaves the field
    EXPECT_EQ(s.offset, 0);
    EXPECT_EQ(t.y(), 1);
    EXPECT_EQ(t.x(), 3);
    for (int i = 0; i < 3; ++i) s = t.tick({}, w3, fast);
    EXPECT_EQ(s.text, "b ");
    t.tick({}, w3, fast);  // 'b' leaves
    for (int i = 0; i < 3; ++i) t.tick({}, w3, fast);
    s = t.tick({}, w3, fast);  // nothing is left: the message has passed
    EXPECT_EQ(s.text, " ");
    EXPECT_TRUE(t.queue().empty());
    EXPECT_EQ(t.x(), 20);
    EXPECT_EQ(t.y(), 0);
    // Idle: the placeholder stands still and the ticks slow down.
    int idle = 0;
    s = t.tick({nullptr, nullptr, [&] { ++idle; }}, w3, fast);
    EXPECT_EQ(s.text, " ");
    EXPECT_EQ(s.colour, kTickerIdle);
    EXPECT_EQ(s.interval, 500);
    EXPECT_EQ(t.x(), 20);
    EXPECT_EQ(idle, 1);
}

// A pasted text's line breaks and tabs pass as blanks, each as wide as one; the history keeps
// them. Of a very long message a tick hands over only what a field can show.
TEST(Ticker, LineBreaksShowAsBlanksAndLongMessagesAreShownInPart) {
    Ticker t;
    t.post(0, 0, "GNU\r\nGPL\tv3", 0, {});
    std::vector<char> measured;
    auto width = [&](char c) {
        measured.push_back(c);
        return 3;
    };
    HintPrefs fast{0, 3, 0, 0};
    Ticker::Step s = t.tick({}, width, fast);
    EXPECT_EQ(s.text, "GNU  GPL v3 ");
    for (int i = 0; i < 20 + 3 * 4; ++i) s = t.tick({}, width, fast);
    EXPECT_EQ(s.text, "  GPL v3 ");  // the tick that moves past the line break
    EXPECT_EQ(measured, (std::vector<char>{'G', 'N', 'U', ' '}));
    EXPECT_EQ(t.log(), "GNU\r\nGPL\tv3\n");

    Ticker big;
    big.post(0, 0, std::string(5'000'000, 'x') + "end", 0, {});
    s = big.tick({}, w3, fast);
    EXPECT_LT(s.text.size(), 10'000u);
    EXPECT_EQ(s.text.substr(0, 3), "xxx");
}

TEST(Ticker, HistoryKeepsExactlyTheLastCharacters) {
    Ticker t;
    std::string all;
    for (int i = 0; i < 60; ++i) {
        std::string m(99, static_cast<char>('a' + i % 26));
        t.post(0, 0, m, 0, {});
        all += m + "\n";
    }
    ASSERT_EQ(all.size(), 6000u);
    EXPECT_EQ(t.log(), all.substr(1000));
    int before = t.log_serial();
    t.post(-2, 0, "clist.kba", 0, {});  // a standing file is not a message
    EXPECT_EQ(t.log_serial(), before);
    t.set_log(std::string(6000, 'x') + "end\n");
    EXPECT_EQ(t.log().size(), 5000u);
    EXPECT_EQ(t.log().substr(4996), "end\n");
}

TEST(Ticker, StandingFileKeepsTheTickerBusy) {
    Ticker t;
    t.post(0, 0, "queued", 0, {});
    t.post(-2, 0, "clist.kba", 0, {});  // empties the queue
    EXPECT_TRUE(t.queue().empty());
    int lines = 0, questions = 0;
    TickerSources src;
    src.random_line = [&](const std::string& f) -> std::optional<std::string> {
        EXPECT_EQ(f, "clist.kba");
        return "line" + std::to_string(++lines);
    };
    src.question = [&]() -> std::optional<std::string> { return "q" + std::to_string(++questions); };
    EXPECT_EQ(t.current(src), (TickerMessage{"line1", kTickerRed, 0}));
    EXPECT_EQ(shown_order(t, src, 3), (std::vector<std::string>{"line1", "line2", "line3"}));
    t.post(-2, 0, kTickerQuestions, 0, {});
    EXPECT_EQ(t.current(src).text, "q1");
    EXPECT_EQ(lines, 3);
    // Skip drops the standing file with the head message.
    EXPECT_TRUE(t.next_message());
    EXPECT_FALSE(t.standing_file());
    EXPECT_FALSE(t.next_message());
    EXPECT_EQ(t.current(src).id, -1);
}

TEST(Ticker, SkipWhilePausedStartsTheNextMessageFromTheStart) {
    Ticker t;
    t.post(0, 0, "first", 0, {});
    t.post(0, 0, "second", 0, {});
    for (int i = 0; i < 30; ++i) t.tick({}, w3, {});
    EXPECT_GT(t.y(), 0);
    EXPECT_TRUE(t.next_message());
    EXPECT_EQ(t.x(), 20);
    EXPECT_EQ(t.y(), 0);
    EXPECT_EQ(t.tick({}, w3, {}).text, "second ");
}

}  // namespace
