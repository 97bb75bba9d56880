// A fresh current document for each test, with hooks that count what the view reports.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/globals.h"
#include "document/view.h"

class ViewFixture : public ::testing::Test {
protected:
    static inline int changed_calls = 0;
    static inline int eval_calls = 0;
    static inline bool saw_reset = false;
    static inline std::string last_eval;
    static inline std::vector<std::string> notes;

    // A tiny calculator: "a*b", "a+b" of two integers, "fail" fails.
    static std::optional<double> eval(const std::string& text, Key) {
        if (text == "Reset~") { saw_reset = true; return 0.0; }
        ++eval_calls;
        last_eval = text;
        int a = 0, b = 0;
        char op = 0;
        if (std::sscanf(text.c_str(), "%d%c%d", &a, &op, &b) != 3) return std::nullopt;
        return op == '*' ? double(a * b) : double(a + b);
    }

    void SetUp() override {
        view_doc() = Document();
        view_undo_clear();
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
        marked_para_.clear();
        gosub_.clear();
        changed_calls = eval_calls = 0;
        saw_reset = false;
        last_eval.clear();
        notes.clear();
        view_on_changed([] { ++changed_calls; });
        view_set_eval_hook(&eval);
        view_set_note_hook([](const std::string& t) { notes.push_back(t); });
        view_set_painting(false);
    }
    void TearDown() override {
        view_on_changed(nullptr);
        view_set_eval_hook(nullptr);
        view_set_note_hook(nullptr);
    }
    void reset_changed() {
        view_doc().changed = false;
        changed_calls = 0;
    }
};
