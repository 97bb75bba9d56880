#include "base/commands_win.h"

#include <unordered_map>

namespace {
std::unordered_map<int, Command>& table() {
    static std::unordered_map<int, Command> t;
    return t;
}
}  // namespace

void cmd_register(const Command& c) { table()[c.id] = c; }

void cmd_register_all(const Command* first, size_t n) {
    for (size_t k = 0; k < n; ++k) cmd_register(first[k]);
}

const Command* cmd_find(int id) {
    auto it = table().find(id);
    return it == table().end() ? nullptr : &it->second;
}
