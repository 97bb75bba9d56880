#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/file.h"
#include "document/undo.h"
#include "document/view.h"
#include "ideas/pert.h"

namespace {

struct RecHost : PertHost {
    std::vector<std::string> notes, errors, questions;
    std::string name;
    std::map<std::string, std::string> reports;
    bool can_write = true;
    bool answer = false;
    int recomputes = 0;
    void note(const std::string& t) override { notes.push_back(t); }
    bool ask(const std::string& t) override {
        questions.push_back(t);
        return answer;
    }
    void error(const std::string& t) override { errors.push_back(t); }
    std::string document_name() override { return name; }
    bool write_report(const std::string& n, const std::string& text) override {
        if (!can_write) {
            errors.push_back("Opening " + n);
            return false;
        }
        reports[n] = text;
        return true;
    }
    void recompute_objects() override { ++recomputes; }
};

struct Net {
    Document doc;
    RecHost host;

    Key event(const std::string& id, int y = 0, int level = 1) {
        Obj o;
        o.key = static_cast<Key>(doc.objs.size() + 1);
        o.id = id;
        o.y = y;
        o.level = level;
        doc.add_obj(o);
        return o.key;
    }
    Link& act(Key from, Key to, const std::string& label, int32_t flags = 0, int32_t f5 = 0) {
        Link l;
        l.from = from;
        l.to = to;
        l.label = label;
        l.flags = flags;
        l.label_pos_colour = f5;
        doc.links.push_back(l);
        return doc.links.back();
    }
    const std::string& id(Key k) { return doc.obj(k)->id; }
    PertResult run(int mode = 2) { return pert_recompute(doc, mode, host); }
    std::vector<const Obj*> on_level2() {
        std::vector<const Obj*> r;
        for (const Obj& o : doc.objs)
            if (o.level == 2) r.push_back(&o);
        return r;
    }
};

std::string printf_row(const char* a, const char* b, std::vector<double> v, const char* mark) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%-20.20s %-20.20s %8g %8g %8g %8g %8g %8g %s", a, b, v[0], v[1],
                  v[2], v[3], v[4], v[5], mark);
    return buf;
}

TEST(PertDuration, LabelsReadAsDurations) {
    struct C {
        const char* label;
        double d;
        bool capped;
    };
    const C cases[] = {
        {"12 days", 12, false}, {"abc", 0, false},     {".5", 0.5, false},    {".5 days", 0.5, false},
        {"2000", 1000, true},   {"", 0, false},        {"1000", 1000, false}, {"1000.01", 1000, true},
        {"  7\n", 7, false},    {"-3", 0, false},      {"3.5e2", 350, false}, {"1e999", 1000, true},
        {".", 0, false},        {"4.x", 4, false},
    };
    for (const auto& c : cases) {
        bool capped = true;
        EXPECT_DOUBLE_EQ(pert_label_duration(c.label, &capped), c.d) << c.label;
        EXPECT_EQ(capped, c.capped) << c.label;
    }
}

TEST(Pert, ChainGetsTimesInItsIdsAndAllCritical) {
    Net n;
    Key a = n.event("A"), b = n.event("B"), c = n.event("C");
    n.act(a, b, "3");
    n.act(b, c, "4");
    EXPECT_EQ(n.run(), PertResult::Changed);
    EXPECT_EQ(n.id(a), "A[ES=0  LC=0]");
    EXPECT_EQ(n.id(b), "B[ES=3  LC=3]");
    EXPECT_EQ(n.id(c), "C[ES=7  LC=7]");
    EXPECT_EQ(n.host.errors, std::vector<std::string>{"Duration too short = 7"});
    EXPECT_EQ(n.doc.links[0].flags & 4, 4);
    EXPECT_EQ(n.doc.links[1].flags & 4, 4);
    EXPECT_TRUE(n.doc.changed);
    // A second run replaces the suffixes.
    n.run();
    EXPECT_EQ(n.id(b), "B[ES=3  LC=3]");
}

TEST(Pert, FloatsAndOnlyTheCriticalBitChanges) {
    Net n;
    Key a = n.event("A"), b = n.event("B"), c = n.event("C");
    // Other bits of the third field (arrowheads above bit 16) must survive.
    n.act(a, b, "15", 0x00FF0001);
    n.act(a, c, "2", 0x00FF0007);
    n.act(c, b, "1", 0x01000004);
    n.host.name = "d:\\work\\plan.vrn";
    n.run();
    EXPECT_TRUE(n.host.errors.empty());
    EXPECT_EQ(n.doc.links[0].flags, 0x00FF0005);
    EXPECT_EQ(n.doc.links[1].flags, 0x00FF0003);
    EXPECT_EQ(n.doc.links[2].flags, 0x01000000);
    EXPECT_EQ(n.id(c), "C[ES=2  LC=14]");
    ASSERT_EQ(n.host.reports.count("d:\\work\\plan.txt"), 1u);
    const std::string& rep = n.host.reports["d:\\work\\plan.txt"];
    std::string expect =
        "EVENT1               EVENT2                    DUR       ES       EC       LS       LC    FLOAT\r\n" +
        printf_row("A[ES=0  LC=0]", "B[ES=15  LC=15]", {15, 0, 15, 0, 15, 0}, "CP") + "\r\n" +
        printf_row("A[ES=0  LC=0]", "C[ES=2  LC=14]", {2, 0, 2, 12, 14, 12}, "") + "\r\n" +
        printf_row("C[ES=2  LC=14]", "B[ES=15  LC=15]", {1, 2, 3, 14, 15, 12}, "") + "\r\n";
    EXPECT_EQ(rep, expect);
}

TEST(Pert, ThresholdSettingWidensCritical) {
    Net n;
    Key a = n.event("A"), b = n.event("B"), c = n.event("C");
    n.act(a, b, "15");
    n.act(a, c, "2");
    n.act(c, b, "11");  // float 2
    n.doc.set_param(75, 200);
    n.run();
    EXPECT_EQ(n.doc.links[1].flags & 4, 4);
    n.doc.set_param(75, 199);
    n.run();
    EXPECT_EQ(n.doc.links[1].flags & 4, 0);
}

TEST(Pert, RefusedNetworksChangeNothing) {
    struct S {
        const char* name;
        void (*build)(Net&);
        const char* error;
    };
    const S cases[] = {
        {"no link", [](Net& n) { n.event("A"); }, "Not a PERT project, no activity found"},
        {"two ends",
         [](Net& n) {
             Key a = n.event("A"), b = n.event("B"), c = n.event("C");
             n.act(a, b, "20");
             n.act(a, c, "20");
         },
         "Cannot have multiple (2) end nodes"},
        {"every event on a cycle",
         [](Net& n) {
             Key a = n.event("A"), b = n.event("B");
             n.act(a, b, "20");
             n.act(b, a, "20");
         },
         "Cannot compute the critical path: the activities form a cycle through A"},
        {"cycle before the end",
         [](Net& n) {
             Key s = n.event("S"), b = n.event("B"), c = n.event("C"), e = n.event("E");
             n.act(s, b, "20");
             n.act(b, c, "20");
             n.act(c, b, "20");
             n.act(c, e, "20");
         },
         "Cannot compute the critical path: the activities form a cycle through B"},
        {"only hidden links",
         [](Net& n) {
             Key a = n.event("A"), b = n.event("B");
             n.act(a, b, "20").kind = 16 * 256;
         },
         "Not a PERT project, no activity found"},
    };
    for (const auto& s : cases) {
        Net n;
        n.host.name = "x.vrn";
        s.build(n);
        std::string before = n.doc.to_text();
        EXPECT_EQ(n.run(), PertResult::Unchanged) << s.name;
        EXPECT_EQ(n.host.errors, std::vector<std::string>{s.error}) << s.name;
        EXPECT_EQ(n.doc.to_text(), before) << s.name;
        EXPECT_FALSE(n.doc.changed) << s.name;
        EXPECT_TRUE(n.host.reports.empty()) << s.name;
    }
}

TEST(Pert, ChartOnLevelTwo) {
    Net n;
    n.host.name = "C:\\Plans\\Big.VRN";
    n.host.answer = true;
    Key a = n.event("A", 0), b = n.event("B", 0), c = n.event("C", 100);
    n.act(a, b, "20", 0, 0x00030007);
    n.act(b, c, "30");
    // Old chart content: an object with a link, a shape, a point.
    Key old = n.event("old row", 0, 2);
    n.act(old, old, "x").kind = 16 * 256;
    n.doc.shapes.push_back(Shape{.key = 9, .kind = 1, .level = 2});
    n.doc.shapes.push_back(Shape{.key = 10, .kind = 1, .level = 1});
    n.doc.points.push_back(PlotPoint{.style = 1, .level = 2});
    n.run();
    EXPECT_EQ(n.host.questions.size(), 1u);  // none of it is the chart's
    for (const Obj& o : n.doc.objs) EXPECT_NE(o.id, "old row");
    EXPECT_EQ(n.doc.links.size(), 2u);
    EXPECT_EQ(n.doc.points.size(), 0u);
    EXPECT_EQ(n.doc.param(10002), 15);
    ASSERT_EQ(n.host.reports.count("C:\\Plans\\Big.txt"), 1u);

    auto lv2 = n.on_level2();
    ASSERT_EQ(lv2.size(), 21u + 2u + 1u);
    EXPECT_EQ(lv2[20]->id, "400");
    EXPECT_EQ(lv2[20]->x, 4000);
    EXPECT_EQ(lv2[20]->y, -20);
    EXPECT_EQ(lv2[20]->colour, n.doc.param(5));
    EXPECT_EQ(lv2[20]->action, 12);
    // Rows: A-B at mean Y 0, slot 0 and 40 skipped -> 80; B-C at mean Y 50 -> R 40 -> 80 used -> 120.
    const Obj* r1 = lv2[21];
    const Obj* r2 = lv2[22];
    const Obj* hdr = lv2[23];
    EXPECT_EQ(r1->y, 80 - 8);
    EXPECT_EQ(r2->y, 120 - 8);
    EXPECT_EQ(hdr->y, 180 - 8);
    EXPECT_EQ(r1->x, -1000);
    EXPECT_EQ(r1->shape, 170);
    EXPECT_EQ(r1->size, 10);
    EXPECT_EQ(r1->flags, 0);
    EXPECT_EQ(r1->colour, 4);  // critical
    EXPECT_EQ(r1->id.size(), 95u);
    EXPECT_EQ(r1->id.substr(0, 20), "A[ES=0  LC=0]       ");
    EXPECT_EQ(hdr->id, std::string("EVENT1               EVENT2                    DUR       ES       EC       LS       LC    FLOAT").substr(0, 95));

    std::vector<Shape> bars;
    for (const Shape& s : n.doc.shapes)
        if (s.level == 2) bars.push_back(s);
    ASSERT_EQ(bars.size(), 6u);
    EXPECT_EQ(bars[0].key, 1);  // first free key
    EXPECT_EQ(bars[0].style, 0);
    EXPECT_EQ(bars[1].style, 1025);
    // B-C: ES(B) 20, LC(C) 50, duration 30.
    EXPECT_EQ(bars[2].left, 200);
    EXPECT_EQ(bars[2].right, 500);
    EXPECT_EQ(bars[3].right, 500);
    EXPECT_EQ(bars[2].top, 120);
    EXPECT_EQ(bars[2].bottom, 80);
    EXPECT_EQ(bars[4].left, 0);
    EXPECT_EQ(bars[4].right, 1);  // zero length gets one unit
    EXPECT_EQ(bars[4].colour_curve, n.doc.param(5));
}

TEST(Pert, NonCriticalBarColourFromTheLink) {
    Net n;
    n.host.name = "p.vrn";
    Key a = n.event("A"), b = n.event("B"), c = n.event("C");
    n.act(a, b, "20");
    n.act(a, c, "5", 0, 0x00020009);
    n.act(c, b, "5");
    n.run();
    std::vector<int32_t> colours;
    for (const Shape& s : n.doc.shapes) colours.push_back(s.colour_curve);
    ASSERT_EQ(colours.size(), 8u);
    EXPECT_EQ(colours[0], 4);
    EXPECT_EQ(colours[2], 9);
    EXPECT_EQ(colours[4], 0);
}

TEST(Pert, WithoutAVrnNameNoReportNorRows) {
    for (const char* name : {"", "notes.txt", "vrn"}) {
        Net n;
        n.host.name = name;
        Key a = n.event("A"), b = n.event("B");
        n.act(a, b, "20");
        n.run();
        EXPECT_TRUE(n.host.reports.empty()) << name;
        EXPECT_EQ(n.on_level2().size(), 21u) << name;  // the time scale is still drawn
        EXPECT_EQ(n.doc.links[0].flags & 4, 4) << name;
        EXPECT_EQ(n.id(a), "A[ES=0  LC=0]") << name;
    }
}

TEST(Pert, ReportFailureStillMarksTheLinks) {
    Net n;
    n.host.name = "q:\\nowhere\\p.vrn";
    n.host.can_write = false;
    Key a = n.event("A"), b = n.event("B");
    n.act(a, b, "20");
    n.run();
    EXPECT_EQ(n.host.errors, std::vector<std::string>{"Opening q:\\nowhere\\p.txt"});
    EXPECT_EQ(n.doc.links[0].flags & 4, 4);
}

TEST(Pert, IdsAndParallelActivities) {
    Net n;
    Key a = n.event("\n"), b = n.event("End[ES=1  LC=2] old");
    n.act(a, b, "12");
    n.act(a, b, "30");
    n.run();
    EXPECT_EQ(n.id(a), "[ES=0  LC=0]");
    EXPECT_EQ(n.id(b), "End[ES=30  LC=30]");
    // Each activity marks its own link.
    EXPECT_EQ(n.doc.links[0].flags & 4, 0);
    EXPECT_EQ(n.doc.links[1].flags & 4, 4);
}

TEST(Pert, OtherModes) {
    Net n;
    Key a = n.event("A"), b = n.event("B");
    n.act(a, b, "5000", 0x00FF0004);
    n.act(b, a, "1", 0x00000004).kind = 16 * 256;  // hidden: untouched
    EXPECT_EQ(n.run(9), PertResult::Changed);
    EXPECT_EQ(n.doc.links[0].flags, 0x00FF0000);
    EXPECT_EQ(n.doc.links[1].flags, 0x00000004);
    EXPECT_TRUE(n.host.notes.empty());  // durations play no part in removing the marks
    EXPECT_EQ(n.run(9), PertResult::Unchanged);
    EXPECT_EQ(n.run(1), PertResult::Unchanged);
    EXPECT_EQ(n.host.recomputes, 1);
    EXPECT_EQ(n.run(0), PertResult::Unchanged);
    EXPECT_EQ(n.run(5), PertResult::Failed);
    EXPECT_EQ(n.id(a), "A");
}

// The plan drawn on the chart's level: nothing of it goes, and the chart stays away.
TEST(Pert, PlanOnLevelTwoKeepsEveryEventAndLinkAndGetsNoChart) {
    Net n;
    n.host.name = "lvl2.vrn";
    n.host.answer = true;  // never even asked
    n.event("note", 0, 1);
    Key a = n.event("A", 0, 2), b = n.event("B", 30, 2), c = n.event("C", 60, 2);
    n.doc.obj(a)->ext = "my text A";
    n.event("L2note", 90, 2);
    n.act(a, b, "30");
    n.act(b, c, "40");
    const std::vector<Shape> shapes = n.doc.shapes;
    EXPECT_EQ(n.run(), PertResult::Changed);
    EXPECT_TRUE(n.host.questions.empty());
    ASSERT_EQ(n.host.notes.size(), 1u);
    EXPECT_NE(n.host.notes[0].find("(A, B, C)"), std::string::npos) << n.host.notes[0];
    ASSERT_EQ(n.doc.objs.size(), 5u);
    EXPECT_EQ(n.id(a), "A[ES=0  LC=0]");
    EXPECT_EQ(n.doc.obj(a)->ext, "my text A");
    EXPECT_EQ(n.id(b), "B[ES=30  LC=30]");
    EXPECT_EQ(n.id(c), "C[ES=70  LC=70]");
    EXPECT_EQ(n.id(5), "L2note");
    ASSERT_EQ(n.doc.links.size(), 2u);
    EXPECT_EQ(n.doc.links[1].flags & 4, 4);
    EXPECT_EQ(n.doc.shapes, shapes);
    EXPECT_EQ(n.doc.param(10002), 0);
    // The report names the events, not the scale.
    const std::string& rep = n.host.reports["lvl2.txt"];
    EXPECT_EQ(rep.find("\r\n0[ES="), std::string::npos) << rep;
    EXPECT_NE(rep.find("\r\nB[ES=30  LC=30]"), std::string::npos) << rep;
}

TEST(Pert, WhatTheUserKeepsOnLevelTwoIsClearedOnlyAfterAYes) {
    struct S {
        const char* name;
        void (*add)(Net&);
    };
    const S cases[] = {
        {"an object", [](Net& n) { n.event("mine", 0, 2); }},
        {"a scale-like object with a text", [](Net& n) {
             Key k = n.event("20", -20, 2);
             Obj& o = *n.doc.obj(k);
             o.x = 200, o.action = 12, o.shape = 170, o.size = 10, o.flags = 0, o.ext = "notes";
         }},
        {"a drawn rectangle", [](Net& n) { n.doc.shapes.push_back(Shape{.key = 1, .kind = 1, .level = 2, .top = 0, .bottom = 90}); }},
        {"a plotted point", [](Net& n) { n.doc.points.push_back(PlotPoint{.style = 1, .level = 2}); }},
    };
    for (const auto& c : cases) {
        for (bool yes : {false, true}) {
            Net n;
            n.host.name = "p.vrn";
            n.host.answer = yes;
            Key a = n.event("A"), b = n.event("B");
            n.act(a, b, "20");
            c.add(n);
            const Document before = n.doc;
            n.run();
            EXPECT_EQ(n.host.questions.size(), 1u) << c.name;
            // Times, marks and report come either way.
            EXPECT_EQ(n.id(b), "B[ES=20  LC=20]") << c.name;
            EXPECT_EQ(n.doc.links[0].flags & 4, 4) << c.name;
            EXPECT_EQ(n.host.reports.size(), 1u) << c.name;
            if (yes) {
                EXPECT_EQ(n.on_level2().size(), 21u + 2u) << c.name;  // scale, one row, header
                EXPECT_EQ(n.doc.points.size(), 0u) << c.name;
            } else {
                std::vector<Obj> objs = before.objs;
                objs[0].id = n.id(a);
                objs[1].id = n.id(b);
                EXPECT_EQ(n.doc.objs, objs) << c.name;
                EXPECT_EQ(n.doc.shapes, before.shapes) << c.name;
                EXPECT_EQ(n.doc.points, before.points) << c.name;
            }
        }
    }
}

TEST(Pert, AnEarlierChartIsReplacedWithoutAQuestionAndNeverTakesTheKeysOfThePlan) {
    Net n;
    n.host.name = "p.vrn";
    Key a = n.event("A"), b = n.event("B");
    n.act(a, b, "20");
    // Key 3 names an event whose object is gone, key 5 one further on: neither may become a
    // chart object, which the event labels and the report would then name.
    n.act(b, 3, "15");
    n.act(3, 5, "5");
    n.run();
    n.run();
    EXPECT_TRUE(n.host.questions.empty());
    for (const Obj& o : n.doc.objs) {
        EXPECT_NE(o.key, 3) << o.id;
        EXPECT_NE(o.key, 5) << o.id;
    }
    auto lv2 = n.on_level2();
    ASSERT_EQ(lv2.size(), 21u + 3u + 1u);
    EXPECT_EQ(lv2[0]->id, "0");
    EXPECT_EQ(lv2[20]->id, "400");
    const std::string& rep = n.host.reports["p.txt"];
    EXPECT_EQ(std::count(rep.begin(), rep.end(), '\n'), 4) << rep;
    EXPECT_NE(rep.find("\r\n" + printf_row("B[ES=20  LC=20]", "", {15, 20, 35, 20, 35, 0}, "CP") + "\r\n"),
              std::string::npos)
        << rep;
}

TEST(Pert, LongDurationsGiveOneNoteARunAndTheReportEveryDigit) {
    Net n;
    n.host.name = "long.vrn";
    Key prev = n.event("E0");
    for (int k = 1; k <= 30; ++k) {
        Key next = n.event("E" + std::to_string(k));
        n.act(prev, next, "2000");
        prev = next;
    }
    n.run();
    EXPECT_EQ(n.host.notes, std::vector<std::string>{"Max Duration is 1000.0"});
    EXPECT_EQ(n.id(prev), "E30[ES=30000  LC=30000]");
    const std::string& rep = n.host.reports["long.txt"];
    EXPECT_NE(rep.find(printf_row("E29[ES=29000  LC=290", "E30[ES=30000  LC=300", {1000, 29000, 30000, 29000, 30000, 0}, "CP")),
              std::string::npos)
        << rep;
}

// Random activity networks against a plain relaxation of longest paths.
TEST(Pert, AgreesWithRelaxationOnRandomNetworks) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 60; ++trial) {
        Net n;
        const int events = 2 + static_cast<int>(rng() % 12);
        for (int k = 0; k < events; ++k) n.event("E" + std::to_string(k));
        std::vector<std::array<int, 3>> acts;  // from, to, duration (0-based events)
        // Every event leads to the last one, so there is a single end node.
        for (int k = 0; k + 1 < events; ++k) {
            int to = k + 1 + static_cast<int>(rng() % (events - k - 1));
            acts.push_back({k, to, static_cast<int>(rng() % 30)});
            if (rng() % 2) {
                int to2 = k + 1 + static_cast<int>(rng() % (events - k - 1));
                acts.push_back({k, to2, static_cast<int>(rng() % 30)});
            }
        }
        std::shuffle(acts.begin(), acts.end(), rng);
        for (auto& x : acts) n.act(static_cast<Key>(x[0] + 1), static_cast<Key>(x[1] + 1), std::to_string(x[2]));
        std::vector<double> es(events, 0), lc(events);
        for (int pass = 0; pass < events; ++pass)
            for (auto& x : acts) es[x[1]] = std::max(es[x[1]], es[x[0]] + x[2]);
        const double t = es[events - 1];
        std::fill(lc.begin(), lc.end(), t);
        for (int pass = 0; pass < events; ++pass)
            for (auto& x : acts) lc[x[0]] = std::min(lc[x[0]], lc[x[1]] - x[2]);
        n.run();
        for (int k = 0; k < events; ++k) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "E%d[ES=%g  LC=%g]", k, es[k], lc[k]);
            EXPECT_EQ(n.id(static_cast<Key>(k + 1)), buf) << "trial " << trial;
        }
        for (size_t k = 0; k < acts.size(); ++k) {
            bool crit = lc[acts[k][1]] - es[acts[k][0]] - acts[k][2] < 0.0001;
            EXPECT_EQ((n.doc.links[k].flags & 4) != 0, crit) << "trial " << trial << " act " << k;
        }
    }
}

// The program's run writes its report beside the document under the document's name: a file
// of that name which is not an earlier report is the user's.
TEST(PertProgram, ReportReplacesAnEarlierReportButAsksForAnyOtherFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vorn_pert_report_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string txt = (dir / "plan.txt").string();
    auto read = [&] {
        std::ifstream in(txt, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto write = [&](const std::string& t) { std::ofstream(txt, std::ios::binary) << t; };
    static std::vector<std::string> asked;
    static bool yes = false;
    asked.clear();
    MsgHooks old = msg_set_hooks({[](const std::string&) {}, [](const std::string&) {}, nullptr,
                                  [](const std::string& t, const std::string&) {
                                      asked.push_back(t);
                                      return yes;
                                  }});
    file_set_current_name((dir / "plan.vrn").string());
    view_doc() = Document();
    view_undo_clear();
    Obj o;
    o.id = "Start";
    Key a = *view_obj_put(o);
    o.id = "End";
    Key b = *view_obj_put(o);
    view_link_add(Link{a, b, 0, 0, 0, 0, "20"});

    pert_recompute(2);  // no file yet
    const std::string report = read();
    EXPECT_EQ(report.rfind("EVENT1 ", 0), 0u);
    view_doc().links[0].label = "30";
    pert_recompute(2);  // an earlier report
    EXPECT_NE(read(), report);
    EXPECT_NE(read().find("End[ES=30  LC=30]"), std::string::npos);
    EXPECT_TRUE(asked.empty());

    for (bool answer : {false, true}) {
        write("my own notes, do not lose\r\n");
        yes = answer;
        view_doc().links[0].flags = 0;
        pert_recompute(2);
        ASSERT_EQ(asked.size(), answer ? 2u : 1u);
        EXPECT_NE(asked.back().find(txt), std::string::npos) << asked.back();
        EXPECT_EQ(read() == "my own notes, do not lose\r\n", !answer);
        EXPECT_EQ(view_doc().links[0].flags & 4, 4);  // the plan is computed either way
    }
    msg_set_hooks(old);
    file_set_current_name("");
    view_doc() = Document();
    view_undo_clear();
    fs::remove_all(dir);
}

// In Auto mode every edit runs the critical path again: what a run said or asked stays unsaid
// in the runs after edits while its cause stays, and is said again when the cause comes back,
// on the user's own Recompute and for another document.
TEST(PertProgram, RunsAfterEditsRepeatNoNoteNorQuestionWhileTheirCauseStays) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vorn_pert_quiet_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string txt = (dir / "plan.txt").string();
    std::ofstream(txt, std::ios::binary) << "my own notes\r\n";
    static std::vector<std::string> said;
    said.clear();
    MsgHooks old = msg_set_hooks({[](const std::string& t) { said.push_back(t); }, [](const std::string&) {}, nullptr,
                                  [](const std::string& t, const std::string&) {
                                      said.push_back(t);
                                      return false;
                                  }});
    file_set_current_name((dir / "plan.vrn").string());
    view_doc() = Document();
    view_undo_clear();
    Obj o;
    o.id = "Start";
    Key a = *view_obj_put(o);
    o.id = "End";
    o.level = 2;
    Key b = *view_obj_put(o);
    view_link_add(Link{a, b, 0, 0, 0, 0, "2000"});
    auto run = [&](PertRun r) {
        said.clear();
        pert_recompute(2, r);
        std::vector<std::string> s = said;
        for (std::string& t : s) t = t.substr(0, t.find_first_of(" :"));  // first word enough
        return s;
    };
    using V = std::vector<std::string>;
    const V all{"Max", "The", txt};

    EXPECT_EQ(run(PertRun::command), all);
    EXPECT_EQ(run(PertRun::after_edit), V{});
    EXPECT_EQ(run(PertRun::after_edit), V{});
    EXPECT_EQ(run(PertRun::command), all);

    // The event leaves level 2 for a note of the user's: that note goes, a question comes.
    view_doc().obj(b)->level = 1;
    o.id = "Memo";
    Key memo = *view_obj_put(o);
    EXPECT_EQ(run(PertRun::after_edit), V{"Level"});
    EXPECT_EQ(run(PertRun::after_edit), V{});
    view_doc().obj(memo)->level = 1;
    view_doc().obj(b)->level = 2;
    EXPECT_EQ(run(PertRun::after_edit), V{"The"});
    // An edit that breaks the plan for a while brings nothing back once it is mended.
    view_link_add(Link{b, a, 0, 0, 0, 0, "3"});
    EXPECT_EQ(run(PertRun::after_edit), V{});
    view_link_remove(b, a);
    EXPECT_EQ(run(PertRun::after_edit), V{});
    std::ifstream in(txt, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "my own notes\r\n");

    Document again = view_doc();
    view_use_document(std::move(again));
    EXPECT_EQ(run(PertRun::after_edit), all);

    msg_set_hooks(old);
    file_set_current_name("");
    view_doc() = Document();
    view_undo_clear();
    fs::remove_all(dir);
}

}  // namespace
