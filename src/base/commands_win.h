// The main menu's commands: each subsystem registers the commands it owns at start-up, and
// task_win_eh runs them. A command with no registered handler is shown greyed.
#pragma once

#include <windows.h>

struct Command {
    int id;
    void (*run)();
    // Null means always enabled.
    bool (*enabled)() = nullptr;
};

void cmd_register(const Command& c);
void cmd_register_all(const Command* first, size_t n);
template <size_t N> void cmd_register_all(const Command (&table)[N]) { cmd_register_all(table, N); }
// The handler of `id`, or null.
const Command* cmd_find(int id);
