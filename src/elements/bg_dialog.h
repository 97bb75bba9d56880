// What the Background dialog keeps while it is open: every choice shows at once in the
// diagram, yet only OK keeps it (as one undoable step). Until then the choices are the
// document's shown settings, apart from what it stores: a save, another undo step or a move of
// the levels never takes them, and Cancel only lets go of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Setting codes the dialog edits.
enum BgSetting : int {
    kBgBack = 1, kBgBlend = 3, kBgPattern = 5, kBgFillKind = 7, kBgPercent = 23, kBgDrawOrder = 59,
    kBgIconNumber = 210, kBgLight = 363, kBgLevelFigure = 10000, kBgPictureText = 23,
};

class BgPreview {
public:
    // Shows v in the document's view without recording or marking anything.
    void set(int code, int32_t v);
    void set_picture(const std::string& name);
    // What the dialog shows for `code`: its own choice, else what the document holds.
    int32_t shown(int code) const;
    bool changed() const;
    // Keeps the shown values as one step "Change Para" (marks the document changed when anything
    // differs from what it holds).
    void commit();
    // Lets go of every value shown since opening.
    void cancel();
};

// "Lev 3 Pattern" for level 3.
std::string bg_level_caption(int level);
// The percent list: "20", "30", ... "190".
std::vector<std::string> bg_percent_list();
// "" when a browsed picture name can be used, else the note to show.
std::string bg_check_browsed(const std::string& lower_name);
