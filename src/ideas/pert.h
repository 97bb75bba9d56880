// PERT: the Recompute command in the mode of the Compute dialog, and the critical path of a
// diagram read as an activity network (objects are events, links are activities whose duration
// is the label).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

class PertHost {
public:
    virtual ~PertHost() = default;
    // The note box and the error box.
    virtual void note(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    // The current document's full file name, "" when it has none.
    virtual std::string document_name() = 0;
    // Writes the report file; false, after telling the user, when it cannot be written.
    virtual bool write_report(const std::string& name, const std::string& text) = 0;
    // Level 2 cleared and given the chart's time scale; no new object takes a key of `reserved`.
    virtual void prepare_chart(Document& doc, const std::vector<Key>& reserved);
    // A yes/no question whose careless answer is no.
    virtual bool ask(const std::string& text);
    // Compute Objects: the calculator's Recompute pass.
    virtual void recompute_objects() = 0;
};

enum class PertResult { Failed, Unchanged, Changed };

// Mode 0 nothing, 1 Compute Objects, 2 Critical Path, 9 remove the critical marks; any other
// mode fails.
PertResult pert_recompute(Document& doc, int mode, PertHost& host);

// The duration written in a link label: a leading number below 1000.01, else 1000 with `capped`
// set; a label starting with "." reads as "0" followed by it; anything else 0.
double pert_label_duration(std::string_view label, bool* capped = nullptr);

// The worker of the view's user command 27 (parameter 0): clears level 2, sets its background
// pattern to 15 and adds the time scale 0, 20, ... 400, whose objects take no key of `reserved`.
void pert_chart_level(Document& doc);
void pert_chart_level(Document& doc, const std::vector<Key>& reserved);

// Who asked for a run: the user (Recompute, the Compute dialog's OK) or an edit in Auto mode.
enum class PertRun { command, after_edit };

// The program's Recompute over the current document: messages through the note and error
// boxes, the report beside the document (a file of that name which is not an earlier report is
// replaced only after a yes). A run after an edit repeats no note that the run before it showed
// and no question answered no there; a command run says everything again.
bool pert_recompute(int mode, PertRun run = PertRun::command);
