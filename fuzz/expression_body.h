// One fuzz input for the calculator and the critical path, shared by the libFuzzer target and the
// unit test that replays the kept corpus. The bytes are cut at NUL bytes into the texts of four
// objects a, b, c, d (the first one also evaluated alone) and the labels of four links.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/eval_format.h"
#include "base/util.h"
#include "ideas/eval.h"
#include "ideas/pert.h"

namespace fuzz_expr {

struct QuietEval : EvalHost {
    void error_msg(const std::string&) override {}
    int random_int(int n) override { return n > 0 ? n / 2 : 0; }
};

struct QuietPert : PertHost {
    void note(const std::string&) override {}
    void error(const std::string&) override {}
    std::string document_name() override { return "fuzz.vrn"; }
    bool write_report(const std::string&, const std::string&) override { return true; }
    void recompute_objects() override {}
};

inline void run(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> seg;
    while (seg.size() < 8) {
        size_t z = in.find('\0');
        seg.emplace_back(in.substr(0, z));
        if (z == std::string_view::npos) break;
        in.remove_prefix(z + 1);
    }
    seg.resize(8);

    Document doc;
    const char* ids[] = {"a", "b", "c", "d"};
    for (int k = 0; k < 4; ++k) {
        Obj o;
        o.key = static_cast<Key>(k + 1);
        o.id = ids[k];
        o.ext = seg[k];
        o.action = k == 3 ? 34 : 0;
        o.x = k * 100;
        o.y = k * 45;
        doc.add_obj(o);
    }
    const Key ends[][2] = {{1, 2}, {2, 3}, {3, 1}, {4, 1}};
    for (int k = 0; k < 4; ++k) {
        Link l;
        l.from = ends[k][0];
        l.to = ends[k][1];
        l.label = seg[4 + k];
        l.flags = 0x00FF00F3;
        doc.links.push_back(l);
    }

    QuietEval eh;
    Eval e(doc, eh);
    e.expression(seg[0], 1);
    e.recompute();
    for (const auto& [key, text] : doc.values)
        if (!util_str_to_num(text)) std::abort();  // a stored value always reads as a number
    e.expression("Reset~", 0);
    e.obj_value(2);
    eval_format_value(1.5, std::string_view(seg[1]).substr(0, 16));

    QuietPert ph;
    pert_recompute(doc, 2, ph);
    for (const Link& l : doc.links)
        if ((l.flags & ~4) != 0x00FF00F3) std::abort();  // only the critical bit may change
    pert_recompute(doc, 9, ph);
}

}  // namespace fuzz_expr
