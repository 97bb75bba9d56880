// EVAL: the formula calculator of computed objects. A formula names other objects by their ID,
// a few built-in names, and aggregates over the objects linked into the current object. Errors
// are reported once per pass (the span between two resets); later evaluations of the pass fail.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/document.h"

// What the calculator needs from the program around it.
class EvalHost {
public:
    virtual ~EvalHost() = default;
    // Shows a finished message text as an error note.
    virtual void error_msg(const std::string& text) = 0;
    // The Plot Points loop index, read for the name J.
    virtual double current_j() { return 0; }
    // A random integer 0 .. n-1 (n > 0).
    virtual int random_int(int n);
};

struct EvalResult {
    double value = 0;
    bool ok = true;  // false: tokens were left over; value is that of the part understood
};

class Eval {
public:
    Eval(Document& doc, EvalHost& host);
    ~Eval();
    Eval(const Eval&) = delete;
    Eval& operator=(const Eval&) = delete;

    void set_host(EvalHost& host);

    // eval_expression: the value of formula `text` for object `key`. Fails (nullopt) while the
    // pass is suspended by an earlier error, when the text does not parse, or when something it
    // depends on is refused. "Reset~" with key 0 starts a new pass and gives 0.
    std::optional<EvalResult> expression(std::string_view text, Key key);

    // view_obj_value: the stored value f_ of object `key` read as a number; otherwise, for an
    // object with action 0 or 34, its formula's value or its numeric text, stored as f_.
    std::optional<double> obj_value(Key key);

    // view_recompute: reset, remove every stored value, then the value of every object in
    // stored order. Stored values never mark the document changed.
    void recompute();

    // While a batch is open the calculator keeps its look-up tables between calls; the caller
    // must not change the document's objects or links meanwhile (Plot Points).
    void begin_batch();
    void end_batch();

    bool suspended() const;
    // Lets a pass that met an error go on: later formulas are evaluated again, but the pass
    // shows no further error (Plot Points skips one failing J and plots the rest).
    void resume();

private:
    struct Impl;
    std::unique_ptr<Impl> p_;
};

// Keeps a batch open for its lifetime.
class EvalBatch {
public:
    explicit EvalBatch(Eval& e) : e_(e) { e_.begin_batch(); }
    ~EvalBatch() { e_.end_batch(); }
    EvalBatch(const EvalBatch&) = delete;
    EvalBatch& operator=(const EvalBatch&) = delete;
private:
    Eval& e_;
};

// The program's calculator over the current document (view_doc()). Until a host is installed,
// messages are dropped.
Eval& eval_calc();
void eval_set_host(EvalHost* host);
// Where the name J reads the Plot Points index from (null: 0).
void eval_set_current_j(double (*source)());

std::optional<EvalResult> eval_expression(std::string_view text, Key key);
std::optional<double> eval_obj_value(Key key);
void eval_recompute();
