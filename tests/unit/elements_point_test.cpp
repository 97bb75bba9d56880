// Plotted points: the variable lists, the stored "Plot" choices, the plot loop's ranges and
// rounding, and each style painted around its point.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "elements/point.h"

namespace {

TEST(Point, VariableEntriesCarryTheKeyAfterTwentyCharacters) {
    struct Case { const char* id; Key key; } cases[] = {{"x", 7}, {"A very long object identifier", 65535}, {"", 1}};
    for (auto c : cases) {
        std::string e = point_variable_entry(c.id, c.key);
        EXPECT_EQ(e.substr(0, 20), std::string(c.id).substr(0, 20) + std::string(20 - std::min<size_t>(20, std::string(c.id).size()), ' '));
        EXPECT_EQ(point_variable_key(e), c.key) << e;
    }
    for (const char* bad : {"", "short", "12345678901234567890", "12345678901234567890x1", "1234567890123456789070000"})
        EXPECT_FALSE(point_variable_key(bad)) << bad;

    Document d;
    d.add_obj({.key = 3, .id = "Zeta", .ext = "=J*2"});
    d.add_obj({.key = 4, .id = "Alpha", .ext = "=J"});
    d.add_obj({.key = 5, .id = "Plain", .ext = "12"});
    auto vars = point_variables(d);
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(point_variable_key(vars[0]), 4);
    EXPECT_EQ(point_variable_key(vars[1]), 3);
}

TEST(Point, StoredPlotChoices) {
    EXPECT_EQ(point_plot_setting({}), PlotSetting{});
    EXPECT_EQ(point_plot_setting({1, 2, 3}), PlotSetting{});
    EXPECT_EQ(point_plot_setting({0, 1, 2, 3, 4, 5, 6, 7}), PlotSetting{});
    // Values no list shows are kept as stored.
    PlotSetting s = point_plot_setting({9, 40, 41, -20, 20, 0, 400});
    EXPECT_EQ(s.list(), (std::vector<int>{9, 40, 41, -20, 20, 0, 400}));
}

TEST(Point, PlotKeepsInclusiveRangesAndRoundsHalvesAway) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // X per J, Y = J.
    std::vector<std::optional<double>> xs = {0, 600, 600.5, -600, -600.5, 2.5, -2.5, nan, std::nullopt, 1e300};
    PlotRange r{static_cast<int>(xs.size()), -600, 600, -600, 600};
    auto pts = point_plot_values(
        r, [&](int j) { return xs[static_cast<size_t>(j - 1)]; }, [](int j) { return std::optional<double>(j); });
    ASSERT_TRUE(pts);
    std::vector<Pt> want = {{0, 1}, {600, 2}, {-600, 4}, {3, 6}, {-3, 7}};
    EXPECT_EQ(*pts, want);

    // The parabola over J = -20 .. 20 (J from 1 to 41).
    PlotRange p{41, -20, 20, 0, 400};
    auto par = point_plot_values(
        p, [](int j) { return std::optional<double>(j - 21); },
        [](int j) { return std::optional<double>((j - 21.0) * (j - 21.0)); });
    ASSERT_TRUE(par);
    ASSERT_EQ(par->size(), 41u);
    EXPECT_EQ(par->front(), (Pt{-20, 400}));
    EXPECT_EQ((*par)[20], (Pt{0, 0}));

    // A failing first evaluation plots nothing; N below 1 plots nothing either.
    EXPECT_FALSE(point_plot_values(r, [](int) { return std::optional<double>(); }, [](int j) { return std::optional<double>(j); }));
    auto none = point_plot_values({0, -600, 600, -600, 600}, [](int) { return std::optional<double>(0); },
                                  [](int) { return std::optional<double>(0); });
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(Point, PlotAsksToGoOnAndStopsWithNothing) {
    auto one = [](int64_t) { return std::optional<double>(1); };
    std::vector<int64_t> asked;
    PlotRange r{5 * kPlotProgressEvery, -600, 600, -600, 600};
    auto all = point_plot_values(r, one, one, [&](int64_t j) { asked.push_back(j); return true; });
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), static_cast<size_t>(r.n));
    EXPECT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked.back(), r.n);
    // Told to stop at the third question: no points at all, and no further J evaluated.
    int64_t last = 0;
    auto counted = [&](int64_t j) { last = j; return std::optional<double>(1); };
    int questions = 0;
    EXPECT_FALSE(point_plot_values(r, counted, one, [&](int64_t) { return ++questions < 3; }));
    EXPECT_EQ(last, 3 * kPlotProgressEvery - 1);
}

TEST(Point, EachStyleIsPaintedInsideItsRepaintMargin) {
    for (const auto& st : point_styles()) {
        RecordingCanvas c;
        const int unit = 4;
        point_paint(c, {st.code, 1, 1000, 2000, 0x0000FF}, unit);
        bool drew = false;
        for (const auto& call : c.calls) {
            if (call.op == "pen" || call.op == "brush") {
                EXPECT_EQ(call.args.back(), 0x0000FF) << st.name;
                continue;
            }
            drew = true;
            size_t n = call.op == "fillrect" ? 4 : call.args.size();
            for (size_t i = 0; i < n; ++i) {
                int centre = i % 2 ? 2000 : 1000;
                EXPECT_LE(std::abs(call.args[i] - centre), st.size * unit) << st.name << " " << call.op;
            }
        }
        EXPECT_TRUE(drew) << st.name;
    }
    EXPECT_EQ(point_style_pos(4), 5);
    EXPECT_EQ(point_style_size(99), 20);
}

}  // namespace
