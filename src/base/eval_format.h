// Number texts of the calculator and the critical path: one formatter for both builds, so a
// value stored or reported under Windows reads exactly as in the native tests.
#pragma once

#include <string>
#include <string_view>

// printf's "%.<precision>g" (precision 6 is plain "%g"); -0 is written as 0.
std::string fmt_g(double v, int precision = 6);
// "%<width>.<precision>g", right-aligned.
std::string fmt_g_width(double v, int width, int precision);
// "%<width>.<precision>f"; `left` for "%-...".
std::string fmt_fixed(double v, int width, int precision, bool left);
// "%-<width>.<width>s": the text cut to `width` bytes and padded on the right.
std::string fmt_text_col(std::string_view s, size_t width);

// A value drawn with the format "%" followed by the Compute dialog's decimal format (text
// setting 26): "" or anything unreadable gives the general form, "W.P" fixed notation with P
// decimals right-aligned in W characters, "-W.P" left-aligned, "W" the general form in W.
std::string eval_format_value(double v, std::string_view decimal_format);
