// Drag and drop of texts between the program's windows, over private WM_USER messages that
// carry the text in global atoms.
#pragma once

#include <windows.h>

#include <string>

#include "bars/dragdrop.h"

// Called on the target with the received message; its target window is `m.target`.
using DdCallback = void (*)(const DdMess& m);

// Makes `win` a drop target: the window that receives drag messages for it gets the handler
// (once), and `win` gets `cb` (replacing an earlier one).
void dd_register(HWND win, DdCallback cb);
void dd_unregister(HWND win);

// One step of a drag from `source` with the cursor at `pt` (source's client coordinates): true
// when a window of the program under the cursor took the message.
bool dd_drag_over(HWND source, POINT pt, int button, const std::string& data);
// The release: the drag ends; true when the window under the cursor took the drop.
bool dd_drop(HWND source, POINT pt, int button, const std::string& data);

// Shows cursor resource `id` over `win` unless it shows already.
void dd_set_cursor(HWND win, int id);

inline HWND dd_hwnd(DdWin w) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(w)); }
inline DdWin dd_win(HWND w) { return static_cast<DdWin>(reinterpret_cast<uintptr_t>(w)); }
