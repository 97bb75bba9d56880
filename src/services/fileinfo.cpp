#include "services/fileinfo.h"

#include <cstdlib>

#include "base/util.h"

std::string info_release_line(int32_t v) {
    if (v == 0) return "Vorn98 or 99 Format";
    return "Vorn" + std::to_string(v / 100 + 1800) + " Rel " + std::to_string((v % 100) / 10) + "." +
           std::to_string(v % 10) + " Format";
}

std::string info_pictures_text(const std::vector<std::string>& pictures) {
    if (pictures.empty()) return " None";
    return "\n  " + util_join(pictures, "", "\n  ");
}

std::string info_report(const InfoFacts& f) {
    std::string r = "Filename = " + f.name + "\n" + info_release_line(f.version) + "\n";
    if (f.dated) {
        r += "Last Updated = " + std::to_string(f.year) + "-" + util_two_digits(f.month) + "-" + util_two_digits(f.day) +
             "  " + util_two_digits(f.hour) + ":" + util_two_digits(f.minute) + ":" + util_two_digits(f.second) + "\n";
        r += "File Size = " + std::to_string(f.size) + " bytes\n";
    } else {
        // Never saved (or gone since): there is no file to describe.
        r += "Last Updated = not saved\nFile Size = 0 bytes\n";
    }
    static const char* const kCounts[] = {"Objects", "Links", "Shapes", "Clusters", "Points"};
    for (size_t k = 0; k < f.counts.size(); ++k) r += "No. of " + std::string(kCounts[k]) + " = " + std::to_string(f.counts[k]) + "\n";
    r += "Linked Pictures: " + info_pictures_text(f.pictures) + "\n";
    return r;
}

std::vector<std::string> info_goal_lines(const std::vector<std::string>& object_lines) {
    std::vector<std::string> out{"<Unknown>           0"};
    for (auto& l : util_sort_strings(object_lines)) out.push_back(std::move(l));
    return out;
}

int32_t info_goal_key(const std::string& line) {
    if (line.size() <= 20) return 0;
    return static_cast<int32_t>(std::strtol(line.c_str() + 20, nullptr, 10));
}
