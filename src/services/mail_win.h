// SMAPI, Win32 side: File > Send mails the document and its attached files through the
// machine's Simple MAPI client (mapi32.dll, loaded for the one call).
#pragma once

#include <windows.h>

#include <string>

// MAPISendDocuments' result (0 success). mapi32.dll missing raises VornError 6005; the entry
// missing raises 6170 (the library is freed either way).
unsigned long smapi_send_documents(HWND win, const std::string& delimiter, const std::string& paths,
                                   const std::string& names);

// File > Send on the current document.
void mail_send_command();

void mail_register();
