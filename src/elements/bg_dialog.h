// What the Background dialog keeps while it is open: every choice shows at once in the
// document, yet only OK keeps it (as one undoable step); Cancel puts back what was there and
// leaves the changed mark alone.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Setting codes the dialog edits.
enum BgSetting : int {
    kBgBack = 1, kBgBlend = 3, kBgPattern = 5, kBgFillKind = 7, kBgPercent = 23, kBgDrawOrder = 59,
    kBgIconNumber = 210, kBgLight = 363, kBgLevelFigure = 10000, kBgPictureText = 23,
};

class BgPreview {
public:
    // Shows v in the document without recording or marking anything.
    void set(int code, int32_t v);
    void set_picture(const std::string& name);
    bool changed() const;
    // Keeps the shown values as one step "Change Para" (marks the document changed when anything
    // differs from the opening values).
    void commit();
    // Puts back every value shown since opening.
    void cancel();

private:
    std::map<int, int32_t> before_;
    bool picture_touched_ = false;
    std::string picture_before_;
};

// "Lev 3 Pattern" for level 3.
std::string bg_level_caption(int level);
// The percent list: "20", "30", ... "190".
std::vector<std::string> bg_percent_list();
// "" when a browsed picture name can be used, else the note to show.
std::string bg_check_browsed(const std::string& lower_name);
