#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "base/eval_format.h"
#include "ideas/eval.h"

namespace {

struct RecHost : EvalHost {
    std::vector<std::string> msgs;
    double j = 0;
    std::vector<int> random_calls;
    void error_msg(const std::string& text) override { msgs.push_back(text); }
    double current_j() override { return j; }
    int random_int(int n) override {
        random_calls.push_back(n);
        return n - 1;
    }
};

struct Diagram {
    Document doc;
    RecHost host;
    Eval eval{doc, host};

    Key add(std::string id, std::string ext, int action = 0) {
        Obj o;
        o.key = static_cast<Key>(doc.objs.size() + 1);
        o.id = std::move(id);
        o.ext = std::move(ext);
        o.action = action;
        doc.objs.push_back(o);
        doc.touch_objs();
        return o.key;
    }
    void link(Key from, Key to, std::string label = {}, int route = 0) {
        Link l;
        l.from = from;
        l.to = to;
        l.label = std::move(label);
        l.kind = route * 256;
        doc.links.push_back(l);
    }
    const std::string* f(Key k) { return doc.value(k); }
    double value(Key k) {
        auto s = doc.value(k);
        return s ? std::stod(*s) : NAN;
    }
};

struct Calc : ::testing::Test, Diagram {};

// ---- grammar and operators

struct Case {
    const char* formula;
    double value;
    bool ok;
};

TEST_F(Calc, ArithmeticPrecedenceAndAssociativity) {
    const double p23 = std::exp(3 * std::log(2.0));
    const Case cases[] = {
        {"1+2*3", 7, true},          {"10-2-3", 5, true},      {"8/2/2", 2, true},
        {"1+2>2", 1, true},          {"(1+2)*3", 9, true},     {"2*3^2", 18, true},
        {"2^3^2", std::exp(2 * std::log(p23)), true},          {"2^0.5", 1.414213562373095, true},
        // All eight lowest operators share one level: ((2>1)&3)>2.
        {"2>1&3>2", 0, true},        {"3=3", 1, true},         {"3#3", 0, true},
        {"1&0", 0, true},            {"2|0", 1, true},         {"0|0", 0, true},
        {"not(0)", 1, true},         {"not(3)", 0, true},      {"0-2^2", -4, true},
        {"7 div 2", 3, true},        {"-7 div 2", -3, true},   {"7 mod 3", 1, true},
        {"-7 mod 3", -1, true},      {"2.6 div 1", 3, true},   {"round(2.5)", 3, true},
        {"round(-2.5)", -2, true},   {"int(-2.7)", -2, true},  {"abs(-3)", 3, true},
        {"sqrt(16)", 4, true},       {"fact(5)", 120, true},   {"fact(0)", 1, true},
        {"ln(1)", 0, true},          {"log(1000)", 3, true},   {"exp(699)", std::exp(699.0), true},
        {"arctan(1)*4", std::numbers::pi, true},               {"Pi*2", 2 * std::numbers::pi, true},
        {"cos(0)+sin(0)+tan(0)", 1, true},                     {"0^2", 0, true},
        {"==1+1", 2, true},          {"1+1\nrubbish(", 2, true}, {" 1 +\t1 ", 2, true},
        {"1.5e1+1e-1", 15.1, true},  {"2e3", 2000, true},
        // Left-overs: the understood part's value, Ok 0.
        {"1 2", 1, false},           {"1+1)", 2, false},
    };
    for (const auto& c : cases) {
        Eval e(doc, host);
        auto r = e.expression(c.formula, 0);
        ASSERT_TRUE(r) << c.formula;
        EXPECT_DOUBLE_EQ(r->value, c.value) << c.formula;
        EXPECT_EQ(r->ok, c.ok) << c.formula;
    }
}

TEST_F(Calc, FormulasThatDoNotParseSaySo) {
    Key x = add("X", "");
    for (std::string s : {"", "=", "1+", "2*", "2^", "max(", "(1+2)*", "  "}) {
        Eval e(doc, host);
        host.msgs.clear();
        EXPECT_FALSE(e.expression(s, x)) << s;
        EXPECT_TRUE(e.suspended()) << s;
        std::string shown = s.substr(s.find_first_not_of('=') == std::string::npos ? s.size() : s.find_first_not_of('='));
        EXPECT_EQ(host.msgs, std::vector<std::string>{"In Variable X, cannot evaluate " + shown}) << s;
    }
}

struct ErrCase {
    const char* formula;
    double value;
    const char* msg;
};

TEST_F(Calc, ErrorsGiveTheirValueAndOneMessageNamingTheObject) {
    const ErrCase cases[] = {
        {"1/0", 0, "In Variable Total, div by zero"},
        {"7 div 0", 0, "In Variable Total, integer div by zero"},
        {"7 mod 0.4", 0, "In Variable Total, integer div by zero"},
        {"sqrt(-1)", 0, "In Variable Total, sqrt of neg number"},
        {"fact(171)", 0, "In Variable Total, factorial exceeded"},
        {"fact(2.5)", 0, "In Variable Total, factorial exceeded"},
        {"fact(-1)", 0, "In Variable Total, factorial exceeded"},
        {"exp(700)", 1, "In Variable Total, cannot compute exp(A) when A>700"},
        {"-2^2", 0, "In Variable Total, power of zero or negative number"},
        {"0^0", 0, "In Variable Total, power of zero or negative number"},
        {"ln(0)", 0, "In Variable Total, log of zero or negative number"},
        {"log(-1)", 0, "In Variable Total, log of zero or negative number"},
        {"1e308*10", 0, "In Variable Total, overflow"},
        {"1e400", 0, "In Variable Total, overflow"},
        {"2^5000", 0, "In Variable Total, overflow"},
        {"random(0)", 0, "In Variable Total, random needs a number above 0"},
        {"random(-3)", 0, "In Variable Total, random needs a number above 0"},
        {"3000000000 div 1", 0, "In Variable Total, number too large for an integer"},
        {"random(1e10)", 0, "In Variable Total, number too large for an integer"},
        {"Nope+1", 1, "In Variable Total, variable Nope not numeric or not exist"},
        {"1 2", 1, "In Variable Total, cannot evaluate 1 2"},
        {"not 1", 0, "In Variable Total, cannot evaluate not 1"},
        {"100%", 100, "In Variable Total, cannot evaluate 100%"},
    };
    for (const auto& c : cases) {
        Document d;
        Obj o;
        o.key = 1;
        o.id = "Total";
        d.objs.push_back(o);
        RecHost h;
        Eval e(d, h);
        auto r = e.expression(c.formula, 1);
        ASSERT_TRUE(r) << c.formula;
        EXPECT_DOUBLE_EQ(r->value, c.value) << c.formula;
        ASSERT_EQ(h.msgs.size(), 1u) << c.formula;
        EXPECT_EQ(h.msgs[0], c.msg);
        EXPECT_TRUE(e.suspended());
        EXPECT_FALSE(e.expression("1+1", 1)) << "suspended after " << c.formula;
        EXPECT_FALSE(e.expression("Reset~", 1)) << "a formula, not the reset";
        EXPECT_TRUE(e.expression("Reset~", 0));
        EXPECT_TRUE(e.expression("1+1", 1));
    }
}

// Plot Points resumes the pass before each J: the J that fails (the pass is suspended after it)
// gives nothing, the others give their values, and the pass tells its error once.
TEST_F(Calc, AResumedPassGoesOnAndTellsItsErrorOnce) {
    Key k = add("xdiv", "=100/(J-5)");
    auto value = [&](const char* formula) -> std::optional<double> {
        eval.resume();
        auto r = eval.expression(formula, k);
        if (!r || !r->ok || eval.suspended()) return std::nullopt;
        return r->value;
    };
    std::vector<double> got;
    for (int j = 1; j <= 8; ++j) {
        host.j = j;
        if (auto v = value("=100/(J-5)")) got.push_back(*v);
        if (j == 7) EXPECT_FALSE(value("=1/0"));  // another failure in the same pass stays silent
    }
    EXPECT_EQ(got, (std::vector<double>{-25, -100.0 / 3, -50, -100, 100, 50, 100.0 / 3}));
    ASSERT_EQ(host.msgs.size(), 1u);
    EXPECT_NE(host.msgs[0].find("xdiv"), std::string::npos) << host.msgs[0];
    // A new pass tells its first error again.
    eval.expression("Reset~", 0);
    EXPECT_FALSE(value("=1/0"));
    EXPECT_EQ(host.msgs.size(), 2u);
}

TEST_F(Calc, RandomRoundsHalvesAwayFromZero) {
    auto r = eval.expression("random(2.5)", 0);
    ASSERT_TRUE(r);
    EXPECT_EQ(host.random_calls, std::vector<int>{3});
    EXPECT_EQ(r->value, 2);
    EXPECT_TRUE(eval.expression("random(0.5)", 0));
    EXPECT_EQ(host.random_calls.back(), 1);
}

// ---- names

TEST_F(Calc, NamesAndObjectReferences) {
    Key total = add("Total", "21");
    Key fml = add("Fml", "=20+1");
    add("Empty", "");
    add("Words", "abc");
    Key me = add("Me", "");
    doc.objs[me - 1].x = 30;
    doc.objs[me - 1].y = -4;
    doc.objs[me - 1].size = 7;
    host.j = 5;
    const Case cases[] = {
        {"Total*2", 42, true}, {"Fml*2", 42, true}, {"Empty+1", 1, true},
        {"Xpos+Ypos+Size", 33, true}, {"J*2", 10, true}, {"Pi", std::numbers::pi, true},
    };
    for (const auto& c : cases) {
        auto r = eval.expression(c.formula, me);
        ASSERT_TRUE(r) << c.formula;
        EXPECT_DOUBLE_EQ(r->value, c.value) << c.formula;
    }
    EXPECT_TRUE(host.msgs.empty());
    // A referenced formula is computed afresh and stores nothing.
    EXPECT_EQ(f(fml), nullptr);
    EXPECT_EQ(f(total), nullptr);
    // Names are case-sensitive: PI and Sum are object IDs that do not exist.
    auto r = eval.expression("Words", me);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 0);
    EXPECT_EQ(host.msgs.back(), "In Variable Me, variable Words not numeric or not exist");
    eval.expression("Reset~", 0);
    eval.expression("PI", me);
    EXPECT_EQ(host.msgs.back(), "In Variable Me, variable PI not numeric or not exist");
}

// ---- aggregates

TEST_F(Calc, AggregatesOverInputs) {
    Key a = add("A", "2"), b = add("B", "5"), c = add("C", "=2+3");
    Key t = add("T", "");
    link(a, t);
    link(b, t);
    link(c, t);
    const Case cases[] = {
        {"max()", 5, true}, {"min()", 2, true}, {"sum()", 12, true}, {"count()", 3, true},
        {"ave()", 4, true}, {"var()", 2, true}, {"and()", 1, true},  {"or()", 1, true},
        {"sum()*2+max()", 29, true},
    };
    for (const auto& cs : cases) {
        auto r = eval.expression(cs.formula, t);
        ASSERT_TRUE(r) << cs.formula;
        EXPECT_DOUBLE_EQ(r->value, cs.value) << cs.formula;
    }
    EXPECT_TRUE(host.msgs.empty());
    // Inputs are stored on the way.
    ASSERT_TRUE(f(c));
    EXPECT_EQ(*f(c), "5");
}

TEST_F(Calc, AggregatesWithoutInputs) {
    Key t = add("T", "");
    const ErrCase cases[] = {
        {"sum()", 0, "No links to object"},  {"max()", -1e300, "No links to object"},
        {"min()", 1e300, "No links to object"}, {"and()", 1, "No links to object"},
        {"or()", 0, "No links to object"},   {"ave()", 0, "No links to object"},
        {"var()", 0, "No links to object"},  {"count()", 0, "No links to object"},
    };
    for (const auto& c : cases) {
        host.msgs.clear();
        auto r = eval.expression(c.formula, t);
        ASSERT_TRUE(r) << c.formula;
        EXPECT_EQ(r->value, c.value) << c.formula;
        EXPECT_EQ(host.msgs, std::vector<std::string>{c.msg}) << c.formula;
        EXPECT_FALSE(eval.suspended()) << "a note does not suspend: " << c.formula;
    }
    host.msgs.clear();
    auto r = eval.expression("inv()", t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 0);
    EXPECT_EQ(host.msgs, (std::vector<std::string>{"No links to object", "In Variable T, must have exactly one input link"}));
}

TEST_F(Calc, WeightsComeFromTheFirstLinkOfEachInput) {
    Key a = add("A", "3");
    Key t = add("T", "");
    link(a, t, "2");
    link(a, t, "");
    auto r = eval.expression("wtsum()", t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 12);
    r = eval.expression("sumwt()", t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 4);
    EXPECT_TRUE(host.msgs.empty());
}

TEST_F(Calc, LabelValues) {
    struct L {
        const char* label;
        double wtsum, sumwt;
        std::vector<std::string> msgs;
    };
    const L cases[] = {
        {"", 3, 0, {}},
        {"2.5", 7.5, 2.5, {}},
        {"=2*3", 18, 6, {}},
        {"4\n", 12, 4, {}},
        {"abc", 3, 0, {"Label (abc) not numeric", "Label (abc) not numeric"}},
    };
    for (const auto& c : cases) {
        Document d;
        RecHost h;
        Eval e(d, h);
        d.objs.push_back(Obj{.key = 1, .id = "A", .ext = "3"});
        d.objs.push_back(Obj{.key = 2, .id = "T", .ext = ""});
        d.links.push_back(Link{.from = 1, .to = 2, .label = c.label});
        auto w = e.expression("wtsum()", 2);
        auto s = e.expression("sumwt()", 2);
        ASSERT_TRUE(w && s) << c.label;
        EXPECT_DOUBLE_EQ(w->value, c.wtsum) << c.label;
        EXPECT_DOUBLE_EQ(s->value, c.sumwt) << c.label;
        EXPECT_EQ(h.msgs, c.msgs) << c.label;
    }
}

TEST_F(Calc, InputsWithoutValueAndHiddenLinks) {
    Key one = add("One", "1"), half = add("Half", "0.5"), zero = add("Zero", "0");
    Key none = add("None", "7", 12);  // not a computed object: no value
    Key t = add("T", "");
    struct S {
        std::vector<Key> in;
        const char* formula;
        double v;
    };
    const S cases[] = {
        {{one, half}, "and()", 0}, {{one, one}, "and()", 1}, {{one, none}, "and()", 0},
        {{zero, zero}, "or()", 0}, {{zero, half}, "or()", 1}, {{zero, none}, "or()", 1},
        {{one, none}, "sum()", 1}, {{one, none}, "count()", 2}, {{one, none}, "ave()", 0.5},
        {{half}, "inv()", 0.5}, {{none, half}, "max()", 0.5},
    };
    for (const auto& c : cases) {
        doc.links.clear();
        for (Key k : c.in) link(k, t);
        link(one, t, "", 16);  // route 16 is never seen
        auto r = eval.expression(c.formula, t);
        ASSERT_TRUE(r) << c.formula;
        EXPECT_DOUBLE_EQ(r->value, c.v) << c.formula;
    }
    EXPECT_TRUE(host.msgs.empty());
}

// ---- the Recompute pass

TEST_F(Calc, RecomputeStoresExactValuesAndOnlyForComputedObjects) {
    Key third = add("Third", "=1/3");
    Key plain = add("Plain", "5\n");
    Key toggle = add("Toggle", "=1", 34);
    Key other = add("Other", "=2", 12);
    Key text = add("Text", "hello");
    Key big = add("Big", "=1234567*1");
    doc.values.emplace_back(other, "stale");
    eval.recompute();
    ASSERT_TRUE(f(third) && f(plain) && f(toggle) && f(big));
    EXPECT_EQ(*f(third), "0.3333333333333333");
    EXPECT_EQ(*f(plain), "5");
    EXPECT_EQ(*f(toggle), "1");
    EXPECT_EQ(*f(big), "1234567");
    EXPECT_EQ(f(other), nullptr);
    EXPECT_EQ(f(text), nullptr);
    EXPECT_FALSE(doc.changed);
    EXPECT_TRUE(host.msgs.empty());
}

TEST_F(Calc, OneMessagePerPassAndLaterObjectsGetNoValue) {
    Key before = add("Before", "=Later+1");
    add("Bad", "=1/0");
    Key after = add("After", "=2");
    Key bad2 = add("Bad2", "=sqrt(-1)");
    Key later = add("Later", "=5");  // known by name before the error: no value after it either
    eval.recompute();
    EXPECT_EQ(host.msgs, std::vector<std::string>{"In Variable Bad, div by zero"});
    EXPECT_TRUE(f(before));
    EXPECT_TRUE(f(2));  // the erroneous object keeps its value 0
    EXPECT_EQ(f(after), nullptr);
    EXPECT_EQ(f(bad2), nullptr);
    EXPECT_EQ(f(later), nullptr);
    eval.recompute();
    EXPECT_EQ(host.msgs.size(), 2u);
}

TEST_F(Calc, MessagesNameTheObjectBeingComputed) {
    struct S {
        const char* name;
        void (*build)(Diagram&);
        const char* msg;
        const char* no_value;
    };
    const S cases[] = {
        {"user text is never a format", [](Diagram& c) { c.add("100%s %d", "=1/0"); },
         "In Variable 100%s %d, div by zero", nullptr},
        {"outer object after a reference", [](Diagram& c) { c.add("Inner", "=2"); c.add("Outer", "=Inner+1/0"); },
         "In Variable Outer, div by zero", nullptr},
        {"label formula",
         [](Diagram& c) {
             Key a = c.add("A", "3"), t = c.add("T", "=wtsum()");
             c.link(a, t, "=1/0");
         },
         "In Variable T, div by zero", nullptr},
        {"error then reference fails the whole formula", [](Diagram& c) { c.add("B", "=5"); c.add("A", "=1/0+B"); },
         "In Variable A, div by zero", "A"},
    };
    for (const auto& s : cases) {
        Diagram c;
        s.build(c);
        c.eval.recompute();
        EXPECT_EQ(c.host.msgs, std::vector<std::string>{s.msg}) << s.name;
        for (const Obj& o : c.doc.objs) {
            if (s.no_value && o.id == s.no_value) {
                EXPECT_EQ(c.f(o.key), nullptr) << s.name;
            }
        }
    }
}

TEST_F(Calc, ErrorsOutsideAnyObjectAreStillShownAndNamesFollowTheOuterObject) {
    // A formula that belongs to no object still reports its error, bare: a silent error would
    // end the pass with no word why.
    eval.expression("1/0", 0);
    EXPECT_EQ(host.msgs, std::vector<std::string>{"div by zero"});
    // After a reference to another object, Xpos is the outer object's again.
    Diagram c;
    c.add("Inner", "=Xpos");
    Key outer = c.add("Outer", "=Inner+Xpos");
    c.doc.obj(1)->x = 5;
    c.doc.obj(outer)->x = 100;
    c.eval.recompute();
    EXPECT_EQ(c.value(outer), 105);
}

TEST_F(Calc, InputsComputedInAnyStoredOrder) {
    // T first in stored order: its inputs are computed when it needs them.
    Key t = add("T", "=sum()*2");
    Key a = add("A", "=max()+1");
    Key b = add("B", "4");
    link(a, t);
    link(b, a);
    eval.recompute();
    EXPECT_EQ(value(t), 10);
    EXPECT_EQ(value(a), 5);
    EXPECT_EQ(value(b), 4);
    EXPECT_EQ(doc.values.front().first, b);  // stored in the order they were computed
}

TEST_F(Calc, StoredValuesSurviveSaveAndReopen) {
    Key a = add("A", "=1/3");
    Key t = add("T", "=sum()*3");
    link(a, t);
    eval.recompute();
    Document back;
    LoadError err;
    ASSERT_TRUE(Document::from_text(doc.to_text(), back, err)) << err.message;
    ASSERT_TRUE(back.value(t));
    EXPECT_EQ(*back.value(t), "1");
    // The reopened document answers from its stored values until the next Recompute.
    back.obj(a)->ext = "=100";
    RecHost h;
    Eval e(back, h);
    EXPECT_EQ(e.obj_value(a).value_or(-1), 1.0 / 3);
    e.recompute();
    EXPECT_EQ(*back.value(t), "300");
}

// ---- cycles and limits

TEST_F(Calc, CyclesAreReportedOnceAndGiveNoValue) {
    struct S {
        const char* name;
        void (*build)(Diagram&);
        std::vector<const char*> no_value;
    };
    const S cases[] = {
        {"self by name", [](Diagram& c) { c.add("A", "=A+1"); }, {"A"}},
        {"two by name", [](Diagram& c) { c.add("A", "=B+1"); c.add("B", "=A*2"); }, {"A", "B"}},
        {"through links",
         [](Diagram& c) {
             Key a = c.add("A", "=sum()"), b = c.add("B", "=sum()+1");
             c.link(a, b);
             c.link(b, a);
         },
         {"A", "B"}},
        {"self link", [](Diagram& c) { Key a = c.add("A", "=max()"); c.link(a, a); }, {"A"}},
        {"five hundred through inputs",
         [](Diagram& c) {
             for (int k = 1; k <= 500; ++k) c.add("C" + std::to_string(k), "=sum()");
             for (int k = 1; k <= 500; ++k) c.link(static_cast<Key>(k % 500 + 1), static_cast<Key>(k));
         },
         {"C1"}},
        {"label naming its target",
         [](Diagram& c) {
             Key a = c.add("A", "1"), t = c.add("T", "=wtsum()");
             c.link(a, t, "=T");
         },
         {"T"}},
    };
    for (const auto& s : cases) {
        Diagram c;
        s.build(c);
        c.eval.recompute();
        ASSERT_EQ(c.host.msgs.size(), 1u) << s.name;
        EXPECT_NE(c.host.msgs[0].find("circular reference to"), std::string::npos) << s.name << ": " << c.host.msgs[0];
        for (const char* id : s.no_value) {
            for (const Obj& o : c.doc.objs) {
                if (o.id == id) {
                    EXPECT_EQ(c.f(o.key), nullptr) << s.name << " " << id;
                }
            }
        }
    }
}

TEST_F(Calc, LongInputChainInReverseOrderComputes) {
    // Each object adds one to the next one; the last is 1. Stored sink first, so every input is
    // still to be computed when it is needed: far deeper than the stack allows to recurse.
    const int n = 3000;
    for (int k = 1; k <= n; ++k) add("N" + std::to_string(k), k == n ? "=1" : "=sum()+1");
    for (int k = 1; k < n; ++k) link(static_cast<Key>(k + 1), static_cast<Key>(k));
    for (int run = 0; run < 2; ++run) {
        eval.recompute();
        EXPECT_TRUE(host.msgs.empty()) << host.msgs.front();
        ASSERT_EQ(doc.values.size(), static_cast<size_t>(n));
        for (Key k = 1; k <= n; ++k) ASSERT_EQ(value(k), n + 1 - k) << k;
    }
    // From outside a pass too.
    doc.values.clear();
    auto v = eval.obj_value(1);
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, n);
}

TEST_F(Calc, LimitsGiveAMessageNotACrash) {
    struct S {
        const char* name;
        std::string formula;
    };
    std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    std::string fn;
    for (int k = 0; k < 50000; ++k) fn += "abs(";
    fn += "1" + std::string(50000, ')');
    const S cases[] = {{"parentheses", deep}, {"functions", fn}};
    for (const auto& s : cases) {
        Document d;
        d.objs.push_back(Obj{.key = 1, .id = "X", .ext = ""});
        RecHost h;
        Eval e(d, h);
        e.expression(s.formula, 1);
        ASSERT_EQ(h.msgs.size(), 1u) << s.name;
        EXPECT_EQ(h.msgs[0], "In Variable X, expression too complex") << s.name;
    }
}

TEST_F(Calc, LongFlatFormulaNeedsNoDeepRecursion) {
    std::string s = "1";
    for (int k = 0; k < 200000; ++k) s += "+1";
    auto r = eval.expression(s, 0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 200001);
}

// A running balance: each row names the one before it. However long, it computes as the same
// chain written with links does, in either stored order, inside a pass or from outside one.
TEST_F(Calc, LongChainsOfNamesComputeLikeChainsOfLinks) {
    const int n = 3000;
    for (bool reversed : {false, true}) {
        Diagram names, links;
        for (int i = 1; i <= n; ++i) {
            const int k = reversed ? n + 1 - i : i;
            names.add("O" + std::to_string(k), k == 1 ? "=1" : "=O" + std::to_string(k - 1) + "+1");
            links.add("O" + std::to_string(k), k == 1 ? "=1" : "=sum()+1");
        }
        for (int i = 1; i <= n; ++i) {
            const int k = reversed ? n + 1 - i : i;
            if (k > 1) links.link(static_cast<Key>(reversed ? i + 1 : i - 1), static_cast<Key>(i));
        }
        names.eval.recompute();
        links.eval.recompute();
        EXPECT_TRUE(names.host.msgs.empty()) << names.host.msgs.front();
        EXPECT_TRUE(links.host.msgs.empty()) << links.host.msgs.front();
        ASSERT_EQ(names.doc.values.size(), static_cast<size_t>(n));
        for (Key k = 1; k <= n; ++k) ASSERT_EQ(*names.f(k), *links.f(k)) << k;
        EXPECT_EQ(names.value(reversed ? 1 : n), n);
    }
    for (int k = 1; k < 1000; ++k) add("V" + std::to_string(k), "=V" + std::to_string(k + 1) + "+1");
    add("V1000", "1");
    auto r = eval.expression("V1*2", 0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 2000);
    EXPECT_TRUE(host.msgs.empty());
    EXPECT_TRUE(doc.values.empty());  // names store nothing
}

// Each object names the next one twice: computed once a pass, unless it draws random numbers,
// where every reference draws afresh and the work grows until it stops, naming the object
// computed, not the one it happened to reach.
TEST_F(Calc, DoubleReferencesComputeOnceUnlessTheyDrawRandomNumbers) {
    for (const char* extra : {"", "+random(1)"}) {
        Diagram d;
        for (int k = 1; k <= 40; ++k) {
            const std::string next = "E" + std::to_string(k + 1);
            d.add("E" + std::to_string(k), k == 40 ? "=1" : "=" + next + "+" + next + extra);
        }
        d.eval.recompute();
        if (*extra) {
            EXPECT_EQ(d.host.msgs, std::vector<std::string>{"In Variable E1, expression too complex"});
        } else {
            EXPECT_TRUE(d.host.msgs.empty());
            EXPECT_EQ(d.value(1), std::ldexp(1.0, 39));
        }
    }
    // Two references to one random object draw twice.
    add("Die", "=random(6)");
    eval.expression("Die*10+Die", 0);
    EXPECT_EQ(host.random_calls, (std::vector<int>{6, 6}));
}

// Two totals of the same amounts agree to the last digit, and the digits are all stored.
TEST_F(Calc, TotalsAreExact) {
    Key a = add("A", "=1234567");
    Key b = add("B", "1234567");
    Key tot = add("Tot", "=sum()");
    Key ref = add("Ref", "=A+B");
    Key cents = add("Cents", "=0.1+0.2");
    Key sum = add("Sum", "=sum()");
    link(a, tot);
    link(b, tot);
    for (int k = 0; k < 10; ++k) link(add("P" + std::to_string(k), "=1/3"), sum);
    eval.recompute();
    EXPECT_TRUE(host.msgs.empty());
    EXPECT_EQ(*f(a), "1234567");
    EXPECT_EQ(*f(tot), "2469134");
    EXPECT_EQ(*f(ref), "2469134");
    EXPECT_EQ(*f(cents), "0.30000000000000004");
    double ten_thirds = 0;
    for (int k = 0; k < 10; ++k) ten_thirds += 1.0 / 3;
    EXPECT_EQ(value(sum), ten_thirds);
    // Only drawing shortens them.
    EXPECT_EQ(eval_format_value(value(tot), ""), "2.46913e+06");
    EXPECT_EQ(eval_format_value(value(tot), "12.0"), "     2469134");
    EXPECT_EQ(eval_format_value(value(cents), ""), "0.3");
    // What a reader of the stored text gets is the value itself.
    Document back;
    LoadError err;
    ASSERT_TRUE(Document::from_text(doc.to_text(), back, err)) << err.message;
    EXPECT_EQ(std::stod(*back.value(cents)), 0.1 + 0.2);
}

// ---- number texts

TEST(EvalFormat, DecimalFormats) {
    struct F {
        const char* fmt;
        double v;
        const char* out;
    };
    const F cases[] = {
        {"", 3.14159265, "3.14159"}, {"8.2", 3.14159, "    3.14"}, {"-6.2", 3.14159, "3.14  "},
        {"0.0", 2.75, "3"},          {".1", -0.04, "-0.0"},           {"6", 1.5, "   1.5"},
        {"abc", 1.5, "1.5"},         {"8.2x", 1.5, "1.5"},           {"-", 1.5, "1.5"},
        {"", 1234567, "1.23457e+06"}, {"4.0", -0.0, "   0"},
        {"8.2f", 1234567.891, "1234567.89"}, {".2f", 3.14159, "3.14"}, {"%8.2f", 3.14159, "    3.14"},
        {"%-8.2f", 3.14159, "3.14    "},     {"8.2e", 1234567.891, "1.23e+06"}, {"10.3E", 0.5, " 5.000e-01"},
        {"8.3g", 1234567.891, "1.23e+06"},   {"12", 1234567, " 1.23457e+06"}, {"f", 0.5, "0.500000"},
        {"%", 1.5, "1.5"},                   {"8.2d", 1.5, "1.5"},            {"8.2ff", 1.5, "1.5"},
        {"%%8.2f", 1.5, "1.5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(eval_format_value(c.v, c.fmt), c.out) << c.fmt;
        // What the dialog refuses is exactly what draws as if no format were set.
        const bool general = eval_format_value(c.v, c.fmt) == fmt_g(c.v);
        if (!eval_format_valid(c.fmt)) {
            EXPECT_TRUE(general) << c.fmt;
        }
    }
    for (const char* bad : {"abc", "8.2x", "-", "%", "8.2d", "8.", "%%8.2f", "8.2 f"}) EXPECT_FALSE(eval_format_valid(bad)) << bad;
    for (const char* good : {"", "8.2", "8.2f", ".2f", "%8.2f", "-6.2", "8.2e", "8.3g", "12", "f"})
        EXPECT_TRUE(eval_format_valid(good)) << good;
}

TEST(EvalFormat, GeneralForm) {
    EXPECT_EQ(fmt_g(105, 2), "1e+02");
    EXPECT_EQ(fmt_g(-0.0), "0");
    EXPECT_EQ(fmt_g(1e-5), "1e-05");
    EXPECT_EQ(fmt_g_width(7, 8, 2), "       7");
    EXPECT_EQ(fmt_text_col("abc", 5), "abc  ");
    EXPECT_EQ(fmt_text_col("abcdefgh", 5), "abcde");
    for (double v : {0.1, 1.0 / 3, 2469134.0, 1e21, 1e-7, -2.5, 123456789012345678.0})
        EXPECT_EQ(std::stod(fmt_exact(v)), v) << fmt_exact(v);
    EXPECT_EQ(fmt_exact(-0.0), "0");
    EXPECT_EQ(fmt_exact(1234567), "1234567");
}

}  // namespace
