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

// The shortest text that reads back as exactly `v` ("1234567", "0.1", "1e+21"); -0 is 0. A
// computed value is kept in this form, so its digits are all there when it is read again.
std::string fmt_exact(double v);

// A value drawn with the format "%" followed by the Compute dialog's decimal format (text
// setting 26): [%][-][W][.P][f|e|g]. "" gives the general form; "W.P" and "W.Pf" fixed notation
// with P decimals right-aligned in W characters, "-" left-aligned; "e" the exponent form with P
// decimals; "W" and "W.Pg" the general form (P significant digits) in W. Anything else draws
// in the general form, and the dialog refuses it (eval_format_valid).
std::string eval_format_value(double v, std::string_view decimal_format);
bool eval_format_valid(std::string_view decimal_format);
