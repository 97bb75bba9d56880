// A Simple MAPI provider for the e-mail tests: it writes what it is handed to the file named by
// VORN_MAPI_LOG (one line per argument, appended per call) and answers VORN_MAPI_RESULT (0 when
// unset). mapi32 loads it from the provider registered under HKLM\Software\Clients\Mail.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void log_call(const char* entry, const char* a, const char* b, const char* c, unsigned long ui) {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("VORN_MAPI_LOG", path, MAX_PATH)) return;
    FILE* f = std::fopen(path, "ab");
    if (!f) return;
    std::fprintf(f, "%s\nparent=%s\ndelimiter=%s\npaths=%s\nnames=%s\n", entry, ui ? "window" : "none", a ? a : "",
                 b ? b : "", c ? c : "");
    std::fclose(f);
}

ULONG result() {
    char buf[16] = {};
    if (!GetEnvironmentVariableA("VORN_MAPI_RESULT", buf, sizeof buf)) return 0;
    return static_cast<ULONG>(std::strtoul(buf, nullptr, 10));
}

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendDocuments(ULONG_PTR ui_param, LPSTR delim, LPSTR paths,
                                                                LPSTR names, ULONG) {
    log_call("MAPISendDocuments", delim, paths, names, static_cast<unsigned long>(ui_param));
    return result();
}
