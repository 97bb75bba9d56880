// Insert Text (portable part): the snippet rows and what a chosen row inserts.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// (type, text) rows of a snippet file; false with the line of the first fault.
bool insert_parse(std::string_view file_text, std::vector<std::pair<int, std::string>>* rows, int* bad_line);
// The ANSI rows, code 255 down to 32: the character, two blanks, the code in parentheses.
std::vector<std::string> insert_ansi_rows();
// What a list row inserts: its text before the first blank ("" without a blank).
std::string insert_snippet(std::string_view row);
struct InsertClock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// "DATE" and "DATE/TIME" become the date (and time) without leading zeros.
std::string insert_expand(std::string_view snippet, const InsertClock& now);
