#include "ideas/gen.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "base/util.h"

std::vector<std::string> gen_split_entries(const std::string& text) {
    size_t at = text.find_first_not_of("\r\n");
    if (at == std::string::npos) return {};
    std::string t;
    for (char c : text.substr(at))
        if (c != '\r') t.push_back(c);
    auto out = util_split_fields(t, '\n');
    // util_split_fields gives the last field first.
    std::reverse(out.begin(), out.end());
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t at = 0;
    for (;;) {
        size_t e = s.find(sep, at);
        out.push_back(s.substr(at, e == std::string::npos ? std::string::npos : e - at));
        if (e == std::string::npos) return out;
        at = e + 1;
    }
}

struct Seq {
    std::string name;
    int count, offset;
};

class Gen {
public:
    Gen(const GenOptions& o, const GenEntries& e, const RandomInt& r, GenResult& res) : opt_(o), entries_(e), rnd_(r), res_(res) {}

    std::optional<std::vector<std::string>> lookup(const std::string& id) {
        auto it = cache_.find(id);
        if (it != cache_.end()) return it->second;
        std::string missing;
        auto e = entries_(id, &missing);
        if (!missing.empty() && std::find(res_.missing.begin(), res_.missing.end(), missing) == res_.missing.end())
            res_.missing.push_back(missing);
        cache_[id] = e;
        return e;
    }

    std::string choose(const std::string& t) {
        if (auto it = once_.find(t); it != once_.end()) return it->second;
        if (!t.empty() && t[0] == '*') {
            std::string e = choose(t.substr(1));
            once_[t] = e;
            return e;
        }
        if (!t.empty() && t[0] == '#') {
            std::string x = t.substr(1);
            auto ent = lookup(x);
            if (ent && !ent->empty()) {
                int n = static_cast<int>(ent->size());
                auto& taken = taken_[x];
                int pos = -1;  // 1 = last entry
                for (int k = 0; k < 3 && pos < 0; ++k) {
                    int p = rnd_(n) + 1;
                    if (!taken.count(p)) pos = p;
                }
                for (int p = 1; p <= n && pos < 0; ++p)
                    if (!taken.count(p)) pos = p;
                if (pos < 0) pos = rnd_(n) + 1;
                taken.insert(pos);
                return (*ent)[static_cast<size_t>(n - pos)];
            }
        }
        for (const auto& s : seq_)
            if (s.name == t) {
                auto ent = lookup(t);
                return ent && s.offset < static_cast<int>(ent->size()) ? (*ent)[static_cast<size_t>(s.offset)] : t;
            }
        auto ent = lookup(t);
        if (ent && !ent->empty()) {
            if (opt_.sequential) {
                seq_.push_back({t, static_cast<int>(ent->size()), 0});
                return ent->front();
            }
            return (*ent)[static_cast<size_t>(std::clamp(rnd_(static_cast<int>(ent->size())), 0,
                                                         static_cast<int>(ent->size()) - 1))];
        }
        return t;
    }

    std::string expand(const std::string& s) {
        std::string out;
        bool first = true;
        last_named_.clear();
        for (const auto& tok : split(s, '+')) {
            if (!first) out += '+';
            first = false;
            std::string e = choose(tok);
            if (last_named_.empty() && e != tok) {
                size_t name = tok.find_first_not_of("*#");
                last_named_ = name == std::string::npos ? tok : tok.substr(name);
            }
            out += e;
        }
        return out;
    }

    // The first name the last round expanded: when rounds never end, it names itself.
    const std::string& last_named() const { return last_named_; }

    void step() {
        seq_.push_back({"", 32000, 32000});
        int carry = 1;
        while (!seq_.empty()) {
            Seq s = seq_.front();
            seq_.erase(seq_.begin());
            if (s.count == 32000) break;
            int o = s.offset + carry;
            if (o >= s.count) {
                o = 0;
                carry = 1;
            } else {
                carry = 0;
            }
            seq_.push_back({s.name, s.count, o});
        }
    }

    void new_idea() { taken_.clear(); }

private:
    const GenOptions& opt_;
    const GenEntries& entries_;
    const RandomInt& rnd_;
    GenResult& res_;
    std::map<std::string, std::optional<std::vector<std::string>>> cache_;
    std::map<std::string, std::string> once_;
    std::vector<Seq> seq_;
    std::map<std::string, std::set<int>> taken_;
    std::string last_named_;
};

}  // namespace

bool gen_contains(const std::string& idea, const std::string& words) {
    if (words.empty() || words == " ") return true;
    std::string low = lower(idea);
    for (const auto& w : split(lower(words), ';'))
        if (!w.empty() && low.find(w) != std::string::npos) return true;
    return false;
}

bool gen_skip(const std::string& idea, const std::string& words) {
    if (words.empty() || words == " ") return true;
    std::string low = lower(idea);
    for (const auto& w : split(lower(words), ';'))
        if (!w.empty() && low.find(w) != std::string::npos) return false;
    return true;
}

bool gen_has_repeat(const std::string& idea) {
    std::string low = lower(idea);
    std::string_view rest = low;
    for (;;) {
        auto t = util_split_token(rest);
        if (t.token.empty()) return false;
        rest = t.rest;
        if (rest.find(std::string(t.token) + " ") != std::string_view::npos) return true;
    }
}

std::vector<std::string> gen_show(const std::string& idea, bool capitalize) {
    std::vector<std::string> out;
    bool first = true;
    for (auto piece : split(idea, '|')) {
        if (!first) piece.erase(0, piece.find_first_not_of(' ') == std::string::npos ? piece.size() : piece.find_first_not_of(' '));
        if (capitalize && !piece.empty()) piece[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(piece[0])));
        out.push_back(first ? piece : "  " + piece);
        first = false;
    }
    return out;
}

GenResult gen_generate(const std::string& start, const GenOptions& opt, const GenEntries& entries, const RandomInt& rnd) {
    GenResult res;
    Gen g(opt, entries, rnd, res);
    for (int i = 0; i < opt.count; ++i) {
        g.new_idea();
        std::string idea = start;
        // A list naming itself would grow without end: stop after a bounded number of rounds.
        for (int round = 0;; ++round) {
            std::string next = g.expand(idea);
            if (next == idea) break;
            idea = std::move(next);
            if (round + 1 >= kGenMaxRounds || idea.size() > kGenMaxText) {
                if (idea.size() > kGenMaxText) idea.resize(kGenMaxText);
                if (!res.capped) res.capped_by = g.last_named();
                res.capped = true;
                break;
            }
        }
        std::replace(idea.begin(), idea.end(), '+', ' ');
        bool shown = !(opt.no_repeat && gen_has_repeat(idea)) && gen_contains(idea, opt.contains) && gen_skip(idea, opt.skip);
        if (shown)
            for (auto& l : gen_show(idea, opt.capitalize)) res.lines.push_back(std::move(l));
        // A rejected combination is passed over too, or the same one would fail every time.
        g.step();
    }
    return res;
}
