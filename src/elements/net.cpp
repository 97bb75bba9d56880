#include "elements/net.h"

bool net_session_active() { return false; }
