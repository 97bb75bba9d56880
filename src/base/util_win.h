// UTIL, Win32 side: sounds.
#pragma once

#include <string>

// "" shows "No file/parameter specified"; "Critical Stop", "Exclamation", "Asterisk" and
// "Question" are the system sounds; a ".wav" name is played as a wave file; any other name
// through the media control interface.
void util_play_sound(const std::string& name);
void util_play_error_wav();
