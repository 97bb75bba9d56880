// The status bar's model (portable): the field table and its layout, the texts it shows, and
// the refresh operations the rest of the program calls. The window side fills StatusHost.
#pragma once

#include <string>
#include <vector>

#include "base/canvas.h"

// Field numbers.
enum StatusField : int {
    kStText = 1, kStCounts = 2, kStContract = 3, kStExpand = 4, kStScale = 5, kStLevelDown = 6, kStLevelUp = 7,
    kStLevel = 8, kStPause = 9, kStMessage = 10
};

struct StatusFieldRow {
    int field;
    int x;      // distance from the bar's right end to the field's right edge
    int width;
    const char* label;
    const char* tooltip;
};

// What the window side does for the model.
class StatusHost {
public:
    virtual ~StatusHost() = default;
    virtual void redraw(int field) {}
    // True while the slideshow runs: refreshes are skipped.
    virtual bool slideshow() const { return false; }
    // Number of objects (what 1) or links (what 2) as the diagram window counts them.
    virtual int count(int what) const;
    // The ticker's state for field 9: true while paused.
    virtual bool ticker_paused() const { return false; }
};

class StatusModel {
public:
    static constexpr int kHeight = 17;
    static constexpr int kFixed = 259;  // width of the fixed fields at the right end

    StatusModel();

    // Rows in table order (Status and Message first after a layout).
    const std::vector<StatusFieldRow>& rows() const { return but_; }
    const StatusFieldRow* row(int field) const;

    // Splits the free width of a bar running from x = left to client_right between Status and
    // Message; gives the bar's rectangle in the main window's client area.
    Rc layout(int client_right, int client_bottom, bool toolbar_left);
    // Horizontal span of a field in a bar `bar_width` wide (top 0, bottom 17).
    Rc field_rect(int field, int bar_width) const;
    // Field under x, or 0 when none.
    int field_at(int x, int bar_width) const;

    // Texts of the Status field.
    int text_key() const { return txt_; }
    std::string status_text() const;
    // The text a field shows.
    std::string field_text(int field, const StatusHost& host) const;

    void update(int field, int value, StatusHost& host);
    void show(const std::string& text, StatusHost& host);

    int mag() const { return mag_; }
    int level() const { return lev_; }

private:
    std::vector<StatusFieldRow> but_;
    std::vector<std::pair<int, std::string>> text_;
    int txt_ = 0, mag_ = 100, lev_ = 1;
};

// The program's status bar model and its window side.
StatusModel& status_model();
void status_set_host(StatusHost* host);

// Refreshes one field: 1 text key, 2 counts (asks the view), 5 magnification, 8 level.
void status_update(int field, int value);
// Shows a free text in the Status field; an empty text is ignored.
void status_show(const std::string& text);

// What the Status field shows of the pointer over the diagram (Status Display > Commands or
// > Position): the hint for what lies under it, or its place in document units.
bool status_shows_position();
void status_set_shows_position(bool on);
std::string status_position_text(Pt p);

// Delays of a held button: the command runs at once, then after 60, 30, 15 and every 10 ms.
class RepeatDelay {
public:
    int next() {
        int r = d_;
        d_ = d_ / 2 < 10 ? 10 : d_ / 2;
        return r;
    }

private:
    int d_ = 60;
};
