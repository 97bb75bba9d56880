#include "base/shell_hooks_win.h"

#include <algorithm>
#include <vector>

ShellHooks shell_hooks_;

void shell_chain_native(MainNativeHook hook, MainNativeHook& below) {
    static std::vector<MainNativeHook> chained;
    if (std::find(chained.begin(), chained.end(), hook) != chained.end()) return;
    chained.push_back(hook);
    below = shell_hooks_.main_native;
    shell_hooks_.main_native = hook;
}
