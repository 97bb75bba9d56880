#include "services/mail_win.h"

#include "base/commands_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/shell_hooks_win.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "resources/ids.h"
#include "services/mail.h"

namespace {

using SendDocuments = ULONG(WINAPI*)(ULONG_PTR ui_param, LPSTR delim, LPSTR paths, LPSTR names, ULONG reserved);

constexpr ULONG kMapiUserAbort = 1;

HMODULE smapi_ = nullptr;

void smapi_unload() {
    if (!smapi_) return;
    FreeLibrary(smapi_);
    smapi_ = nullptr;
}

void pump_messages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace

unsigned long smapi_send_documents(HWND win, const std::string& delimiter, const std::string& paths,
                                   const std::string& names) {
    if (!smapi_) smapi_ = LoadLibraryA("mapi32.dll");
    if (!smapi_) vorn_raise(6005, "mapi32.dll");
    auto send = reinterpret_cast<SendDocuments>(reinterpret_cast<void*>(GetProcAddress(smapi_, "MAPISendDocuments")));
    if (!send) {
        // A library without the entry is no use for the next send either.
        smapi_unload();
        vorn_raise(6170, "MAPISendDocuments");
    }
    std::string d = delimiter, p = paths, n = names;
    ULONG r = send(reinterpret_cast<ULONG_PTR>(win), d.data(), p.data(), n.data(), 0);
    pump_messages();
    smapi_unload();
    return r;
}

void mail_send_command() {
    if (file_current_name().empty()) return;
    // An untitled document has no file, whatever lies under its name in its folder.
    if (file_is_untitled()) {
        msg_note("Save the document before sending it");
        return;
    }
    // What is mailed is the file on disk, so unsaved edits (typed ones too) are offered for
    // saving first.
    if (shell_hooks_.ask_save && shell_hooks_.ask_save() == 3) return;
    const std::string doc = file_current_name();
    if (!file_exists(doc)) {
        msg_note("Save the document before sending it");
        return;
    }
    MailDocuments m = mail_documents(doc, view_attached_files(2), view_attached_files(3));
    unsigned long r = 0;
    try {
        r = smapi_send_documents(main_inst_, m.delimiter, m.paths, m.names);
    } catch (const VornError&) {
        // No Simple MAPI on this machine at all is the same to the user as no mail client.
        msg_note("Cannot start emailer");
        return;
    }
    // Cancelling in the mail client is the user's choice, not a failure.
    if (r != 0 && r != kMapiUserAbort) msg_note("Cannot start emailer");
}

void mail_register() { cmd_register({CMD_SEND, mail_send_command}); }
