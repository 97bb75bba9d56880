// Network sessions: the program has none, so the file commands always take their local path.
#pragma once

// False: no network session is open. Changes nothing.
bool net_session_active();
