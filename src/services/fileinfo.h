// INFO, portable part: the File Information report and the goal list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The format line of file format version v (setting 350): "Vorn98 or 99 Format" for 0.
std::string info_release_line(int32_t v);

struct InfoFacts {
    std::string name;        // the document's full name
    int32_t version = 0;     // setting 350
    bool dated = false;      // the file exists and its time and size were read
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    uint64_t size = 0;
    std::array<int, 5> counts{};  // objects, links, shapes, clusters, points
    std::vector<std::string> pictures;
};
// The whole report, lines ending in "\n".
std::string info_report(const InfoFacts& f);
// " None", or each picture on an indented line of its own.
std::string info_pictures_text(const std::vector<std::string>& pictures);

// The goal list: "<Unknown>" first, then the object lines sorted as a list box shows them.
std::vector<std::string> info_goal_lines(const std::vector<std::string>& object_lines);
// The object key after a line's first 20 characters; 0 for "<Unknown>" or no number.
int32_t info_goal_key(const std::string& line);
