// Hypertext fields inside stored texts: character 11, the visible text, character 14, the hidden
// text, character 15. Texts of objects and ".txt" files hold them; printing, the Analyzer and the
// text exports read the texts without them.
#pragma once

#include <string>
#include <string_view>

// The text with every complete field replaced by its visible text; stray markers stay.
std::string tw_strip_hyperlinks(std::string_view text);
