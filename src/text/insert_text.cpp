#include "text/insert_text.h"

#include "base/record.h"

bool insert_parse(std::string_view file_text, std::vector<std::pair<int, std::string>>* rows, int* bad_line) {
    rec::Reader r(file_text);
    rec::RecordView v;
    while (r.next(v)) {
        if (v.name != "e_" || v.arity() != 2 || v.arg(0).kind != rec::Kind::Int || v.arg(1).kind != rec::Kind::Str)
            continue;  // other records are not snippets
        rows->emplace_back(static_cast<int>(v.arg(0).i), v.arg(1).text());
    }
    if (r.failed()) {
        if (bad_line) *bad_line = static_cast<int>(r.error().line);
        return false;
    }
    return true;
}

std::vector<std::string> insert_ansi_rows() {
    std::vector<std::string> out;
    for (int c = 255; c >= 32; --c) out.push_back(std::string(1, static_cast<char>(c)) + "  (" + std::to_string(c) + ")");
    return out;
}

std::string insert_snippet(std::string_view row) {
    size_t b = row.find(' ');
    if (b == std::string_view::npos) return {};
    return std::string(row.substr(0, b));
}

std::string insert_expand(std::string_view s, const InsertClock& t) {
    std::string date = std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day);
    if (s == "DATE") return date;
    if (s == "DATE/TIME")
        return date + "  " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
    return std::string(s);
}
