#include "ideas/eval.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "base/eval_format.h"
#include "base/letters.h"
#include "base/util.h"
#include "document/view.h"

int EvalHost::random_int(int n) { return util_random_int(n); }

namespace {

enum class Op : uint8_t {
    Var, Real, Chain,
    // binary, inside a chain
    Plus, Minus, Greater, Smaller, And, Or, Equal, NotEqual, Mult, Div, Div2, Mod, Pow,
    // one argument
    Not, Abs, Int, Round, Sqrt, Fact, Ln, Log, Exp, Sin, Cos, Tan, Arctan, Random,
    // aggregates over the input links
    Max, Min, Sum, Wtsum, Sumwt, Count, Ave, Variance, And1, Or1, Inv,
};

struct NameOp {
    std::string_view name;
    Op op;
};

constexpr NameOp kFunctions[] = {
    {"abs", Op::Abs}, {"int", Op::Int}, {"round", Op::Round}, {"sqrt", Op::Sqrt},
    {"fact", Op::Fact}, {"ln", Op::Ln}, {"log", Op::Log}, {"exp", Op::Exp},
    {"sin", Op::Sin}, {"cos", Op::Cos}, {"tan", Op::Tan}, {"arctan", Op::Arctan},
    {"random", Op::Random},
};

constexpr NameOp kAggregates[] = {
    {"max", Op::Max}, {"min", Op::Min}, {"sum", Op::Sum}, {"wtsum", Op::Wtsum},
    {"sumwt", Op::Sumwt}, {"count", Op::Count}, {"ave", Op::Ave}, {"var", Op::Variance},
    {"and", Op::And1}, {"or", Op::Or1}, {"inv", Op::Inv},
};

template <size_t N>
std::optional<Op> lookup(const NameOp (&table)[N], std::string_view name) {
    for (const auto& e : table)
        if (e.name == name) return e.op;
    return std::nullopt;
}

// Chain: the operand `child`, then `count` (op, operand) pairs from `first` in Tree::links,
// applied left to right. Var: `name`. Real: `num`. Functions: `child`.
struct Node {
    Op op = Op::Real;
    double num = 0;
    std::string_view name;
    int child = -1;
    uint32_t first = 0, count = 0;
};

struct ChainLink {
    Op op;
    int operand;
};

struct Tree {
    std::vector<Node> nodes;
    std::vector<ChainLink> links;
    int add(const Node& n) {
        nodes.push_back(n);
        return static_cast<int>(nodes.size()) - 1;
    }
};

enum class TK : uint8_t { Name, Number, Other };

struct Tok {
    TK kind;
    std::string_view text;
};

std::vector<Tok> tokenize(std::string_view s) {
    std::vector<Tok> out;
    for (;;) {
        TokenSplit t = util_split_token(s);
        if (t.token.empty()) break;
        unsigned char c = static_cast<unsigned char>(t.token[0]);
        TK k = (c >= '0' && c <= '9') ? TK::Number
               : (is_word_letter(c) || c == '_') ? TK::Name
                                                 : TK::Other;
        out.push_back({k, t.token});
        s = t.rest;
    }
    return out;
}

// Recursive descent over the token list. A failed alternative restores the position and falls
// back to reading its first token as a number or a name, as the formula language has it.
class Parser {
public:
    Parser(const std::vector<Tok>& toks, Tree& tree, int max_depth)
        : toks_(toks), t_(tree), max_depth_(max_depth),
          budget_(64 * static_cast<long>(toks.size()) + 4096) {}

    std::optional<int> parse() { return expression(); }
    size_t pos() const { return pos_; }
    bool too_complex() const { return too_complex_; }

private:
    const std::vector<Tok>& toks_;
    Tree& t_;
    size_t pos_ = 0;
    int depth_ = 0;
    int max_depth_;
    long budget_;
    bool too_complex_ = false;

    const Tok* peek(size_t ahead = 0) const {
        return pos_ + ahead < toks_.size() ? &toks_[pos_ + ahead] : nullptr;
    }
    bool is(size_t ahead, std::string_view text) const {
        const Tok* t = peek(ahead);
        return t && t->text == text;
    }

    static std::optional<Op> expr_op(const Tok& t) {
        if (t.kind != TK::Other) return std::nullopt;
        switch (t.text[0]) {
        case '+': return Op::Plus;
        case '-': return Op::Minus;
        case '>': return Op::Greater;
        case '<': return Op::Smaller;
        case '&': return Op::And;
        case '|': return Op::Or;
        case '=': return Op::Equal;
        case '#': return Op::NotEqual;
        default: return std::nullopt;
        }
    }
    static std::optional<Op> term_op(const Tok& t) {
        if (t.text == "*") return Op::Mult;
        if (t.text == "/") return Op::Div;
        if (t.text == "div") return Op::Div2;
        if (t.text == "mod") return Op::Mod;
        return std::nullopt;
    }
    static std::optional<Op> factor_op(const Tok& t) {
        if (t.text == "^") return Op::Pow;
        return std::nullopt;
    }

    using Level = std::optional<int> (Parser::*)();

    // operand { op operand }; an operator without its operand fails the whole level.
    std::optional<int> chain(Level operand, std::optional<Op> (*op_of)(const Tok&)) {
        auto first = (this->*operand)();
        if (!first) return std::nullopt;
        std::vector<ChainLink> rest;
        while (const Tok* t = peek()) {
            auto op = op_of(*t);
            if (!op) break;
            ++pos_;
            auto next = (this->*operand)();
            if (!next) return std::nullopt;
            rest.push_back({*op, *next});
        }
        if (rest.empty()) return first;
        Node n;
        n.op = Op::Chain;
        n.child = *first;
        n.first = static_cast<uint32_t>(t_.links.size());
        n.count = static_cast<uint32_t>(rest.size());
        t_.links.insert(t_.links.end(), rest.begin(), rest.end());
        return t_.add(n);
    }

    std::optional<int> expression() { return chain(&Parser::term, expr_op); }
    std::optional<int> term() { return chain(&Parser::factor, term_op); }
    std::optional<int> factor() { return chain(&Parser::primary, factor_op); }

    // "(" expression ")" from the current position; the position is restored on failure.
    std::optional<int> parenthesised() {
        const size_t start = pos_;
        if (!is(0, "(")) return std::nullopt;
        if (++depth_ > max_depth_) {
            too_complex_ = true;
            return std::nullopt;
        }
        ++pos_;
        auto inner = expression();
        --depth_;
        if (inner && is(0, ")")) {
            ++pos_;
            return inner;
        }
        pos_ = start;
        return std::nullopt;
    }

    std::optional<int> unary(Op op) {
        const size_t start = pos_;
        ++pos_;
        if (auto inner = parenthesised()) {
            Node n;
            n.op = op;
            n.child = *inner;
            return t_.add(n);
        }
        pos_ = start;
        return std::nullopt;
    }

    std::optional<int> primary() {
        if (too_complex_ || --budget_ < 0) {
            too_complex_ = true;
            return std::nullopt;
        }
        const Tok* t = peek();
        if (!t) return std::nullopt;
        if (t->text == "(") {
            if (auto inner = parenthesised()) return inner;
            if (too_complex_) return std::nullopt;
        } else if (t->kind == TK::Name && is(1, "(")) {
            std::optional<Op> fn = t->text == "not" ? std::optional<Op>(Op::Not) : lookup(kFunctions, t->text);
            if (fn) {
                if (auto r = unary(*fn)) return r;
                if (too_complex_) return std::nullopt;
            } else if (auto agg = lookup(kAggregates, t->text)) {
                // The token after "(" is taken unchecked as the closing one.
                if (!peek(2)) return std::nullopt;
                pos_ += 3;
                Node n;
                n.op = *agg;
                return t_.add(n);
            }
        }
        if (t->text == "-" && peek(1) && peek(1)->kind == TK::Number) {
            Node n;
            n.op = Op::Real;
            n.num = -read_number(peek(1)->text);
            pos_ += 2;
            return t_.add(n);
        }
        Node n;
        if (t->kind == TK::Number) {
            n.op = Op::Real;
            n.num = read_number(t->text);
        } else {
            n.op = Op::Var;
            n.name = t->text;
        }
        ++pos_;
        return t_.add(n);
    }

    static double read_number(std::string_view s) {
        // Digits only, so the one failure is a value out of range: kept as infinity, which the
        // evaluation reports as an overflow.
        auto v = util_str_to_num(s);
        return v ? *v : HUGE_VAL;
    }
};

// Stack depth of the evaluation, in rough frames: nested parentheses, nested object formulas.
constexpr int kMaxDepth = 1500;
constexpr int kNestCost = 8;
constexpr int kMaxParens = 256;
// From this deep on, an input object's formula is computed from the top level instead.
constexpr int kPrewarmNest = 64;
// Work allowed to one top-level evaluation, in node evaluations; a nested formula counts as
// kNestSteps. Formulas that reference each other twice over grow exponentially.
constexpr long kMaxSteps = 2'000'000;
constexpr long kNestSteps = 10;

// Unwinds to the evaluation of `key`, which then gives no value.
struct Cycle {
    Key key;
};

// Counts one level of evaluation depth for its lifetime, also when an unwind passes.
struct Deeper {
    int& d;
    explicit Deeper(int& depth) : d(depth) { ++d; }
    ~Deeper() { --d; }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;
};

// Every "%s" of `fmt` replaced: the first by `arg`, the others by nothing.
std::string fill(std::string_view fmt, std::string_view arg) {
    std::string out;
    bool first = true;
    for (size_t k = 0; k < fmt.size(); ++k) {
        if (fmt[k] == '%' && k + 1 < fmt.size() && fmt[k + 1] == 's') {
            if (first) out.append(arg);
            first = false;
            ++k;
        } else {
            out.push_back(fmt[k]);
        }
    }
    return out;
}

bool is_formula(std::string_view ext) { return !ext.empty() && ext[0] == '='; }

}  // namespace

struct Eval::Impl {
    Document& doc;
    EvalHost* host;

    Key curr_ref_ = 0;
    bool suspended_ = false;
    bool reported_ = false;  // the pass has shown its error

    int busy_ = 0;
    int batch_ = 0;
    int depth_ = 0;
    int nest_ = 0;
    long steps_ = 0;
    bool prewarm_ok_ = false;
    bool deferring_ = false;  // an input or a named object is to be computed from the top level first
    Key deferred_ = 0;
    bool deferred_name_ = false;  // deferred_ is named in a formula, not an input
    std::vector<uint8_t> evaluating_ = std::vector<uint8_t>(65536, 0);
    std::vector<Key> keys_;  // objects whose formulas are being evaluated, innermost last
    // Computed ahead in from_top: kWarmInput as an input (its value stored), kWarmName as a
    // named object (its value in named_).
    static constexpr uint8_t kWarmInput = 1, kWarmName = 2;
    std::vector<uint8_t> warm_ = std::vector<uint8_t>(65536, 0);
    // Values of formula objects as a name reference gives them, kept for the top-level call or
    // the whole Recompute pass: a running balance of thousands of rows then costs as little as
    // the same chain of links. A formula that drew a random number or read J is not kept, so
    // each reference draws afresh as before.
    std::unordered_map<Key, double> named_;
    uint64_t volatile_ = 0;  // counts random() and J
    std::vector<std::string> pending_;

    // Look-up tables of the current batch, built on first use.
    struct Input {
        Key from;
        uint32_t link;        // index in doc.links
        uint32_t first_link;  // the first link from the same object to the same target
    };
    bool ids_built_ = false;
    std::unordered_map<std::string_view, Key> ids_;
    bool inputs_built_ = false;
    std::unordered_map<Key, std::vector<Input>> inputs_;
    bool values_built_ = false;
    std::unordered_map<Key, size_t> value_pos_;

    Impl(Document& d, EvalHost& h) : doc(d), host(&h) {}

    // ---- batches and top-level calls

    void open_batch() { ++batch_; }
    void close_batch() {
        if (--batch_ > 0) return;
        ids_built_ = inputs_built_ = values_built_ = false;
        ids_.clear();
        inputs_.clear();
        value_pos_.clear();
    }

    void flush() {
        std::vector<std::string> msgs;
        msgs.swap(pending_);
        for (const auto& m : msgs) host->error_msg(m);
    }

    // ---- look-ups

    std::optional<Key> find_id(std::string_view id) {
        if (!ids_built_) {
            ids_.reserve(doc.objs.size());
            for (const Obj& o : doc.objs) ids_.emplace(o.id, o.key);  // the first one wins
            ids_built_ = true;
        }
        auto it = ids_.find(id);
        if (it == ids_.end()) return std::nullopt;
        return it->second;
    }

    const std::vector<Input>& inputs(Key to) {
        if (!inputs_built_) {
            std::unordered_map<uint32_t, uint32_t> first;
            for (uint32_t k = 0; k < doc.links.size(); ++k) {
                const Link& l = doc.links[k];
                if (l.route() == 16) continue;
                auto [it, fresh] = first.emplace((uint32_t(l.from) << 16) | l.to, k);
                inputs_[l.to].push_back({l.from, k, it->second});
            }
            inputs_built_ = true;
        }
        static const std::vector<Input> none;
        auto it = inputs_.find(to);
        return it == inputs_.end() ? none : it->second;
    }

    const std::string* stored(Key k) {
        if (!values_built_) {
            for (size_t n = 0; n < doc.values.size(); ++n) value_pos_.emplace(doc.values[n].first, n);
            values_built_ = true;
        }
        auto it = value_pos_.find(k);
        return it == value_pos_.end() ? nullptr : &doc.values[it->second].second;
    }

    void store(Key k, std::string text) {
        stored(k);
        auto it = value_pos_.find(k);
        if (it != value_pos_.end()) {
            doc.values[it->second].second = std::move(text);
        } else {
            value_pos_.emplace(k, doc.values.size());
            doc.values.emplace_back(k, std::move(text));
        }
    }

    // ---- messages

    // Once per pass: the first error suspends the pass and is shown, later ones are not.
    // `outermost`: the fault is the size of the whole evaluation, which belongs to the object
    // computed from the top, not to the innermost one it happened to reach.
    void error(std::string_view msg, std::string_view arg = {}, bool outermost = false) {
        if (suspended_) return;
        suspended_ = true;
        if (reported_) return;
        reported_ = true;
        // A label formula runs with key 0; name the object that needed it.
        Key k = curr_ref_;
        if (outermost)
            for (Key f : keys_)
                if (f) {
                    k = f;
                    break;
                }
        for (auto it = keys_.rbegin(); k == 0 && it != keys_.rend(); ++it) k = *it;
        const Obj* o = k ? doc.obj(k) : nullptr;
        // With no object to name the message still goes out, bare: a silent error would stop
        // the pass with no word why.
        std::string body = fill(msg, arg);
        pending_.push_back(o ? "In Variable " + o->id + ", " + body : body);
    }

    // Shown every time, outside the once-per-pass rule.
    void note(std::string_view msg, std::string_view arg = {}) { pending_.push_back(fill(msg, arg)); }

    // ---- entry

    std::optional<EvalResult> evaluate(std::string_view text, Key key) {
        if (suspended_) return std::nullopt;
        size_t skip = 0;
        while (skip < text.size() && text[skip] == '=') ++skip;
        text.remove_prefix(skip);
        if (size_t lf = text.find('\n'); lf != std::string_view::npos) text = text.substr(0, lf);
        const std::string formula(text);

        if (key != 0 && evaluating_[key]) {
            const Obj* o = doc.obj(key);
            error("circular reference to %s", o ? std::string_view(o->id) : std::string_view());
            throw Cycle{key};
        }
        if (depth_ + kNestCost > kMaxDepth || (steps_ += kNestSteps) > kMaxSteps) {
            error("expression too complex%s", {}, true);
            return std::nullopt;
        }

        struct Frame {
            Impl& m;
            Key saved_ref;
            Key key;
            Frame(Impl& i, Key k) : m(i), saved_ref(i.curr_ref_), key(k) {
                m.curr_ref_ = k;
                m.keys_.push_back(k);
                if (k) m.evaluating_[k] = 1;
                m.depth_ += kNestCost;
                ++m.nest_;
            }
            ~Frame() {
                // Back to the outer object: its later names (Xpos, ...) and errors are its own.
                m.curr_ref_ = saved_ref;
                m.keys_.pop_back();
                if (key) m.evaluating_[key] = 0;
                m.depth_ -= kNestCost;
                --m.nest_;
            }
        };

        try {
            Frame frame(*this, key);
            std::vector<Tok> toks = tokenize(formula);
            Tree tree;
            Parser parser(toks, tree, std::clamp((kMaxDepth - depth_) / 2, 1, kMaxParens));
            auto root = parser.parse();
            if (parser.too_complex()) {
                error("expression too complex%s");
                return std::nullopt;
            }
            if (!root) {
                // An operator without its operand, an unclosed aggregate, nothing at all.
                error("cannot evaluate %s", formula);
                return std::nullopt;
            }
            bool ok = parser.pos() == toks.size();
            if (!ok) error("cannot evaluate %s", formula);
            auto v = eval(tree, *root);
            if (!v || deferring_) return std::nullopt;
            return EvalResult{*v, ok};
        } catch (const Cycle& c) {
            if (c.key != key) throw;
            return std::nullopt;
        }
    }

    // ---- evaluation

    // A finite result, or 0 and an overflow error.
    double checked(double v) {
        if (std::isfinite(v)) return v;
        error("overflow%s");
        return 0;
    }

    // Rounded half up to a 32-bit integer, as div and mod take their operands.
    std::optional<int64_t> to_int(double v) {
        double r = std::floor(v + 0.5);
        if (!(r >= INT32_MIN && r <= INT32_MAX)) {
            error("number too large for an integer%s");
            return std::nullopt;
        }
        return static_cast<int64_t>(r);
    }

    double apply(Op op, double a, double b) {
        switch (op) {
        case Op::Plus: return checked(a + b);
        case Op::Minus: return checked(a - b);
        case Op::Mult: return checked(a * b);
        case Op::Div:
            if (b == 0) {
                error("div by zero%s");
                return 0;
            }
            return checked(a / b);
        case Op::Div2:
        case Op::Mod: {
            auto x = to_int(a), y = to_int(b);
            if (!x || !y) return 0;
            if (*y == 0) {
                error("integer div by zero%s");
                return 0;
            }
            return static_cast<double>(op == Op::Div2 ? *x / *y : *x % *y);
        }
        case Op::Pow:
            // exp(B ln A), which is 0 for a zero base and a positive exponent.
            if (a < 0 || (a == 0 && b <= 0)) {
                error("power of zero or negative number%s");
                return 0;
            }
            return checked(a == 0 ? 0.0 : std::exp(b * std::log(a)));
        case Op::Greater: return a > b ? 1 : 0;
        case Op::Smaller: return a < b ? 1 : 0;
        case Op::And: return a * b != 0 ? 1 : 0;
        case Op::Or: return (a == 0 && b == 0) ? 0 : 1;
        case Op::Equal: return a == b ? 1 : 0;
        case Op::NotEqual: return a != b ? 1 : 0;
        default: return 0;
        }
    }

    double function(Op op, double a) {
        switch (op) {
        case Op::Not: return a == 0 ? 1 : 0;
        case Op::Abs: return std::fabs(a);
        case Op::Int: return std::trunc(a);
        case Op::Round: return checked(std::floor(a + 0.5));
        case Op::Sqrt:
            if (a < 0) {
                error("sqrt of neg number%s");
                return 0;
            }
            return std::sqrt(a);
        case Op::Fact: {
            if (!(a >= 0 && a <= 170 && a == std::floor(a))) {
                error("factorial exceeded%s");
                return 0;
            }
            double r = 1;
            for (int k = 2; k <= static_cast<int>(a); ++k) r *= k;
            return r;
        }
        case Op::Ln:
        case Op::Log:
            if (a <= 0) {
                error("log of zero or negative number%s");
                return 0;
            }
            return op == Op::Ln ? std::log(a) : std::log10(a);
        case Op::Exp:
            if (a >= 700) {
                error("cannot compute exp(A) when A>700%s");
                return 1;
            }
            return std::exp(a);
        case Op::Sin: return std::sin(a);
        case Op::Cos: return std::cos(a);
        case Op::Tan: return checked(std::tan(a));
        case Op::Arctan: return std::atan(a);
        case Op::Random: {
            ++volatile_;
            double n = std::round(a);  // halves away from zero
            if (!(n >= INT32_MIN && n <= INT32_MAX)) {
                error("number too large for an integer%s");
                return 0;
            }
            if (n <= 0) {
                error("random needs a number above 0%s");
                return 0;
            }
            return host->random_int(static_cast<int>(n));
        }
        default: return 0;
        }
    }

    std::optional<double> eval(const Tree& t, int index) {
        if (deferring_) return std::nullopt;
        if (++steps_ > kMaxSteps) {
            error("expression too complex%s", {}, true);
            return std::nullopt;
        }
        const Node& n = t.nodes[index];
        switch (n.op) {
        case Op::Real: return checked(n.num);
        case Op::Var: return name_value(n.name);
        case Op::Chain: {
            Deeper d(depth_);
            auto acc = eval(t, n.child);
            for (uint32_t k = 0; acc && k < n.count; ++k) {
                const ChainLink& l = t.links[n.first + k];
                auto b = eval(t, l.operand);
                acc = b ? std::optional<double>(apply(l.op, *acc, *b)) : std::nullopt;
            }
            return acc;
        }
        case Op::Max: case Op::Min: case Op::Sum: case Op::Wtsum: case Op::Sumwt: case Op::Count:
        case Op::Ave: case Op::Variance: case Op::And1: case Op::Or1: case Op::Inv:
            return aggregate(n.op);
        default: {
            std::optional<double> a;
            {
                Deeper d(depth_);
                a = eval(t, n.child);
            }
            if (!a) return std::nullopt;
            return function(n.op, *a);
        }
        }
    }

    // ---- names

    std::optional<double> name_value(std::string_view name) {
        if (name == "J") {
            ++volatile_;
            return host->current_j();
        }
        if (name == "Xpos" || name == "Ypos" || name == "Size") {
            if (const Obj* o = curr_ref_ ? doc.obj(curr_ref_) : nullptr)
                return name == "Xpos" ? o->x : name == "Ypos" ? o->y : o->size;
        }
        if (name == "Pi") return std::numbers::pi;
        if (auto k = find_id(name)) {
            const Obj* o = doc.obj(*k);
            if (o && is_formula(o->ext)) {
                // Never the stored value, which may be that of an earlier pass. After an error
                // the pass refuses every formula, a known one too.
                if (suspended_) return std::nullopt;
                if (auto it = named_.find(*k); it != named_.end()) return it->second;
                if (deep() && !(warm_[*k] & kWarmName)) {
                    defer(*k, true);
                    return std::nullopt;
                }
                return formula_value(*k, false);
            }
            if (o && o->ext.empty()) return 0.0;
            if (o)
                if (auto v = util_str_to_num(o->ext)) return *v;
        }
        error("variable %s not numeric or not exist", name);
        return 0.0;
    }

    double label_value(std::string_view label, double def) {
        std::string_view t = label;
        while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.remove_suffix(1);
        if (t.empty()) return def;
        if (auto v = util_str_to_num(t)) return *v;
        if (t[0] == '=') {
            std::string formula(label.substr(1));
            auto r = evaluate(formula, 0);
            return r ? r->value : def;
        }
        note("Label (%s) not numeric%s", label);
        return def;
    }

    // ---- aggregates

    std::optional<double> aggregate(Op op) {
        const Key cur = curr_ref_;
        const std::vector<Input>& in = inputs(cur);
        if (in.empty()) note("No links to object%s");
        // Values of the inputs in order; `stop` cuts the walk short (and() and or()).
        std::vector<std::optional<double>> vals;
        vals.reserve(in.size());
        auto walk = [&](auto stop) {
            for (const auto& e : in) {
                vals.push_back(input_value(e.from));
                if (deferring_) return false;
                if (stop(vals.back())) break;
            }
            return true;
        };
        auto weight = [&](size_t k, double def) { return label_value(doc.links[in[k].first_link].label, def); };
        auto never = [](const std::optional<double>&) { return false; };
        switch (op) {
        case Op::Count: return static_cast<double>(in.size());
        case Op::Max:
        case Op::Min: {
            if (!walk(never)) return std::nullopt;
            double r = op == Op::Max ? -1e300 : 1e300;
            for (const auto& v : vals)
                if (v && (op == Op::Max ? *v > r : *v < r)) r = *v;
            return r;
        }
        case Op::Sum:
        case Op::Ave:
        case Op::Variance: {
            if (!walk(never)) return std::nullopt;
            double s = 0, q = 0;
            for (const auto& v : vals)
                if (v) {
                    s += *v;
                    q += *v * *v;
                }
            const double c = static_cast<double>(in.size());
            if (op == Op::Sum) return checked(s);
            if (c == 0) return 0.0;
            if (op == Op::Ave) return checked(s / c);
            return checked((q - s * s / c) / c);
        }
        case Op::Wtsum:
        case Op::Sumwt: {
            double s = 0;
            for (size_t k = 0; k < in.size(); ++k) {
                auto v = input_value(in[k].from);
                if (deferring_) return std::nullopt;
                if (op == Op::Sumwt) s += weight(k, 0.0);
                else if (v) s += *v * weight(k, 1.0);
                if (deferring_) return std::nullopt;
            }
            return checked(s);
        }
        case Op::And1:
            if (!walk([](const std::optional<double>& v) { return !v || *v < 1; })) return std::nullopt;
            return (vals.size() == in.size() && std::all_of(vals.begin(), vals.end(), [](auto& v) { return v && *v >= 1; })) ? 1.0 : 0.0;
        case Op::Or1:
            if (!walk([](const std::optional<double>& v) { return !v || *v != 0; })) return std::nullopt;
            return std::all_of(vals.begin(), vals.end(), [](auto& v) { return v && *v == 0; }) ? 0.0 : 1.0;
        case Op::Inv: {
            std::optional<double> v;
            if (in.size() == 1) {
                v = input_value(in[0].from);
                if (deferring_) return std::nullopt;
            }
            if (!v) {
                error("must have exactly one input link%s");
                return 0.0;
            }
            return 1.0 - *v;
        }
        default: return std::nullopt;
        }
    }

    // So deep in nested formulas that what they need next is computed from the top level first.
    bool deep() const { return prewarm_ok_ && (nest_ >= kPrewarmNest || depth_ > kMaxDepth / 2); }

    // Unwinds by plain returns: everything on the way gives up while deferring_.
    void defer(Key k, bool by_name) {
        deferring_ = true;
        deferred_ = k;
        deferred_name_ = by_name;
    }

    // An input's value: its stored value, else its formula or number, stored on the way.
    std::optional<double> input_value(Key k) {
        if (deep() && !(warm_[k] & kWarmInput) && !stored(k)) {
            const Obj* o = doc.obj(k);
            if (o && (o->action == 0 || o->action == 34) && is_formula(o->ext)) {
                defer(k, false);
                return std::nullopt;
            }
        }
        return value_of(k);
    }

    std::optional<double> value_of(Key k) {
        if (const std::string* s = stored(k)) return util_str_to_num(*s);
        const Obj* o = doc.obj(k);
        if (!o || (o->action != 0 && o->action != 34)) return std::nullopt;
        if (is_formula(o->ext)) {
            // A value known by name is refused after an error like any other formula.
            auto it = suspended_ ? named_.end() : named_.find(k);
            auto r = it != named_.end() ? std::optional<double>(it->second) : formula_value(k, false);
            // Exact: six digits or the Decimal Point Format are for drawing only.
            if (r) store(k, fmt_exact(*r));
            return r;
        }
        auto v = util_str_to_num(o->ext);
        if (!v) return std::nullopt;
        std::string text = o->ext;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        store(k, std::move(text));
        return v;
    }

    // The value of formula object k, kept for later references by name. `ahead`: computed
    // from the top level for a chain too deep to follow, kept even when it drew a random number.
    std::optional<double> formula_value(Key k, bool ahead) {
        const Obj* o = doc.obj(k);
        if (!o || !is_formula(o->ext)) return std::nullopt;
        // Copied: the text must outlive this frame.
        std::string ext = o->ext;
        const uint64_t before = volatile_;
        auto r = evaluate(std::string_view(ext).substr(1), k);
        if (!r || deferring_) return std::nullopt;
        if (ahead || volatile_ == before) named_[k] = r->value;
        return r->value;
    }

    // `root` from the top level. Chains of formulas deeper than the stack allows (inputs of
    // aggregates, names) are computed from their far end first, then `root` is started again.
    template <class F>
    auto from_top(F root) -> decltype(root()) {
        struct Ahead {
            Key key;
            bool by_name;
            bool operator==(const Ahead&) const = default;
        };
        std::vector<Ahead> pending;
        std::vector<Key> warmed;
        const bool outer = !prewarm_ok_;
        prewarm_ok_ = true;
        decltype(root()) result;
        for (;;) {
            steps_ = 0;
            const bool at_root = pending.empty();
            try {
                if (at_root) result = root();
                else if (pending.back().by_name) formula_value(pending.back().key, true);
                else value_of(pending.back().key);
            } catch (const Cycle&) {
                result.reset();
                break;
            }
            if (deferring_) {
                deferring_ = false;
                result.reset();
                Ahead next{deferred_, deferred_name_};
                if (std::find(pending.begin(), pending.end(), next) != pending.end()) {
                    const Obj* o = doc.obj(next.key);
                    error("circular reference to %s", o ? std::string_view(o->id) : std::string_view());
                    break;
                }
                pending.push_back(next);
                continue;
            }
            if (at_root) break;
            // Even without a value it is not tried ahead again.
            warm_[pending.back().key] |= pending.back().by_name ? kWarmName : kWarmInput;
            warmed.push_back(pending.back().key);
            pending.pop_back();
        }
        if (outer) {
            prewarm_ok_ = false;
            for (Key w : warmed) warm_[w] = 0;
        }
        return result;
    }

    std::optional<double> top_value(Key k) {
        return from_top([&] { return value_of(k); });
    }
};

Eval::Eval(Document& doc, EvalHost& host) : p_(std::make_unique<Impl>(doc, host)) {}
Eval::~Eval() = default;

void Eval::set_host(EvalHost& host) { p_->host = &host; }
bool Eval::suspended() const { return p_->suspended_; }
void Eval::resume() { p_->suspended_ = false; }
void Eval::begin_batch() { p_->open_batch(); }
void Eval::end_batch() { p_->close_batch(); }

std::optional<EvalResult> Eval::expression(std::string_view text, Key key) {
    Impl& m = *p_;
    // Re-entry from a message box's message loop finds the calculator busy.
    if (m.busy_) return std::nullopt;
    if (text == "Reset~" && key == 0) {
        m.suspended_ = m.reported_ = false;
        return EvalResult{0, true};
    }
    ++m.busy_;
    m.open_batch();
    m.steps_ = 0;
    auto r = m.from_top([&] { return m.evaluate(text, key); });
    m.named_.clear();
    m.close_batch();
    --m.busy_;
    m.flush();
    return r;
}

std::optional<double> Eval::obj_value(Key key) {
    Impl& m = *p_;
    if (m.busy_) return std::nullopt;
    ++m.busy_;
    m.open_batch();
    auto r = m.top_value(key);
    m.named_.clear();
    m.close_batch();
    --m.busy_;
    m.flush();
    return r;
}

void Eval::recompute() {
    Impl& m = *p_;
    if (m.busy_) return;
    m.suspended_ = m.reported_ = false;
    ++m.busy_;
    m.open_batch();
    m.doc.values.clear();
    m.value_pos_.clear();
    m.values_built_ = true;
    m.named_.clear();
    for (size_t n = 0; n < m.doc.objs.size(); ++n) {
        m.top_value(m.doc.objs[n].key);
        m.flush();
    }
    m.named_.clear();
    m.close_batch();
    --m.busy_;
}

// ---- the program's calculator

namespace {

struct ProgramHost : EvalHost {
    double (*j_source)() = nullptr;
    void error_msg(const std::string& text) override { msg_error(text); }
    double current_j() override { return j_source ? j_source() : 0; }
};

ProgramHost& program_host() {
    static ProgramHost h;
    return h;
}

}  // namespace

Eval& eval_calc() {
    static Eval e(view_doc(), program_host());
    return e;
}

void eval_set_host(EvalHost* host) { eval_calc().set_host(host ? *host : program_host()); }
void eval_set_current_j(double (*source)()) { program_host().j_source = source; }

std::optional<EvalResult> eval_expression(std::string_view text, Key key) {
    return eval_calc().expression(text, key);
}
std::optional<double> eval_obj_value(Key key) { return eval_calc().obj_value(key); }
void eval_recompute() { eval_calc().recompute(); }
