#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "bars/status.h"
#include "bars/listview_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings_win.h"
#include "base/shell_hooks_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "resources/ids.h"
#include "resources/print_ids.h"
#include "win/print_unix.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

// Every command id of the main menu, collected from the menu itself.
void collect_ids(HMENU m, std::vector<int>& out) {
    for (int k = 0, n = GetMenuItemCount(m); k < n; ++k) {
        if (HMENU sub = GetSubMenu(m, k)) collect_ids(sub, out);
        else if (UINT id = GetMenuItemID(m, k); id != 0 && id != 0xFFFFFFFFu) out.push_back(static_cast<int>(id));
    }
}

HMENU popup_holding(HMENU bar, int id) {
    for (int k = 0, n = GetMenuItemCount(bar); k < n; ++k)
        if (HMENU sub = GetSubMenu(bar, k); sub && GetMenuState(sub, id, MF_BYCOMMAND) != 0xFFFFFFFFu) return sub;
    return nullptr;
}

bool greyed(HMENU m, int id) { return (GetMenuState(m, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

class ShellMainWindow : public wt::MainWindowTest {
protected:
    ShellMainWindow() : MainWindowTest("vorn_shell_main_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        saved_hooks_ = shell_hooks_;
    }
    void TearDown() override {
        close_main();
        focused_tw_ = {};
        // The program's own hooks stay for the tests after these.
        shell_hooks_ = saved_hooks_;
        MainWindowTest::TearDown();
    }
    // File > Encrypt/Decrypt File on `file` with `password`, typed into its dialogs.
    void encrypt(const std::string& file, const char* password) {
        Boxes::notes.clear();
        Boxes::errors.clear();
        wt::when_dialog("Encrypt/Decrypt File", [file](HWND d) { wt::choose_file(d, file); });
        wt::when_dialog("Encrypt/Decrypt File", [password](HWND d) {
            SetDlgItemTextA(d, IDC_PASSWORD_EDIT, password);
            wt::press(d, IDOK);
        }, IDC_PASSWORD_EDIT);
        SendMessageA(win_, WM_COMMAND, CMD_ENCRYPT, 0);
    }
    ShellHooks saved_hooks_;
};

TEST_F(ShellMainWindow, StartsWithClassTitleMenuAndEveryCommand) {
    char cls[32] = {}, title[256] = {};
    GetClassNameA(win_, cls, sizeof cls);
    GetWindowTextA(win_, title, sizeof title);
    EXPECT_STREQ(cls, "vorn6");
    EXPECT_EQ(std::string(title).rfind("Vorn Idea Processor", 0), 0u);
    EXPECT_NE(std::string(title).find("untitled.vrn"), std::string::npos);
    EXPECT_EQ(main_inst_, win_);
    EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes.front();
    // Both icons come from the icon file, each at its own size.
    for (int which : {GCLP_HICON, GCLP_HICONSM}) {
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrA(win_, which)), &ii)) << which;
        BITMAP bm{};
        GetObjectA(ii.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, GetSystemMetrics(which == GCLP_HICON ? SM_CXICON : SM_CXSMICON)) << which;
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
    }

    std::vector<int> ids;
    collect_ids(GetMenu(win_), ids);
    ASSERT_GT(ids.size(), 100u);
    for (int id : {CMD_NEW, CMD_SAVE, CMD_BACK, CMD_TBAR_TOP, 11015}) EXPECT_NE(std::count(ids.begin(), ids.end(), id), 0) << id;
    for (int id : ids) EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << "twice: " << id;
}

// The window opens where it was left (pulled inside the work area, at a usable size), and coming
// back to it gives the keyboard to the child that had it, else to the diagram.
TEST_F(ShellMainWindow, OpensWhereItWasLeftAndGivesTheFocusBackToWhatHadIt) {
    const RECT work = dlg_work_area();
    auto reopen_at = [&](Rect kept) {
        close_main();
        placement_set({SW_SHOWNORMAL, kept});
        open_main();
        RECT r{};
        GetWindowRect(win_, &r);
        return r;
    };
    const Rect inside{work.left + 40, work.top + 30, work.left + 640, work.top + 470};
    RECT r = reopen_at(inside);
    EXPECT_EQ(r.left, inside.left);
    EXPECT_EQ(r.top, inside.top);
    EXPECT_EQ(r.right, inside.right);
    EXPECT_EQ(r.bottom, inside.bottom);
    r = reopen_at({work.left - 300, work.top + 20, work.left + 300, work.top + 420});
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 400);
    // Kept too small to use: the first size, where it was.
    for (Rect tiny : {Rect{work.left + 100, work.top + 100, work.left + 105, work.top + 105},
                      Rect{work.left + 104, work.top + 123, work.left + 208, work.top + 124}}) {
        r = reopen_at(tiny);
        EXPECT_EQ(r.left, tiny.left);
        EXPECT_EQ(r.top, tiny.top);
        EXPECT_EQ(r.right - r.left, kMainWidth);
        EXPECT_EQ(r.bottom - r.top, kMainHeight);
        RECT client;
        GetClientRect(view_inst_, &client);
        EXPECT_GT(client.bottom, 300) << "the diagram has room";
    }

    // A child gets the keyboard back only while it can be seen.
    ShowWindow(win_, SW_SHOWNA);
    HWND other = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 20, nullptr, nullptr, nullptr, nullptr);
    auto away_and_back = [&] {
        SetActiveWindow(other);
        SetFocus(other);
        EXPECT_EQ(GetFocus(), other);
        SetActiveWindow(win_);
        return GetFocus();
    };
    HWND child = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, win_, nullptr, nullptr, nullptr);
    SetFocus(child);
    EXPECT_EQ(away_and_back(), child);
    DestroyWindow(child);
    EXPECT_EQ(away_and_back(), view_inst_);
    DestroyWindow(other);
}

TEST_F(ShellMainWindow, OpeningAMenuGreysWhatCannotRun) {
    HMENU bar = GetMenu(win_);
    HMENU file = popup_holding(bar, CMD_NEW);
    ASSERT_NE(file, nullptr);
    file_clear_changed();
    SendMessageA(win_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_FALSE(greyed(file, CMD_NEW));
    EXPECT_TRUE(greyed(file, CMD_OPEN_HOLD));  // nobody handles it
    EXPECT_TRUE(greyed(file, CMD_BACK));       // no earlier document
    EXPECT_FALSE(greyed(file, CMD_SAVE)) << "an untitled document offers Save, which asks for a name";
    file_set_current_name(path("named.vrn"));
    SendMessageA(win_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_TRUE(greyed(file, CMD_SAVE)) << "nothing to save";
    EXPECT_FALSE(greyed(file, CMD_RELOAD));
    EXPECT_EQ(menu_is_disabled(CMD_OPEN_HOLD), 0);
    EXPECT_EQ(menu_is_disabled(CMD_NEW), 1);

    // The kept disabled set wins over a registered command.
    menu_disable(CMD_NEW);
    SendMessageA(win_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_TRUE(greyed(file, CMD_NEW));
    EXPECT_EQ(menu_is_disabled(CMD_NEW), 0);
    menu_enable(CMD_NEW, 1);
    EXPECT_EQ(menu_is_disabled(CMD_NEW), 1);
}

int ran_ = 0;
void count_run() { ++ran_; }
void raise_error() { vorn_raise(1031, "Computing"); }
int forward_answer_ = 1;
std::vector<int> forwarded_;
int fake_forward(int id) {
    forwarded_.push_back(id);
    return forward_answer_;
}

TEST_F(ShellMainWindow, CommandsRunThroughTheDispatcherAndErrorsAreTrapped) {
    // Ids no menu item uses, so that registering them disturbs nothing.
    cmd_register({11011, count_run});
    cmd_register({11012, raise_error});
    ran_ = 0;
    task_menu_cmd(11011);
    EXPECT_EQ(ran_, 1);
    task_menu_cmd(11012);
    EXPECT_TRUE(IsWindow(win_));
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("Computing ErrNo=1031"), std::string::npos) << Boxes::errors[0];
}

TEST_F(ShellMainWindow, FocusedTextWindowGetsEditCommandsFirst) {
    cmd_register({11011, count_run});
    HWND editor = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    shell_hooks_.tw_forward_menu = fake_forward;
    focused_tw_ = {editor, 1};
    ran_ = 0;
    forwarded_.clear();
    forward_answer_ = 0;                       // handled by the editor
    task_menu_cmd(CMD_COPY);
    forward_answer_ = 1;                       // not handled: the dispatcher goes on
    task_menu_cmd(CMD_FIND_NEXT);
    task_menu_cmd(11011);                      // not an editing command: never forwarded
    EXPECT_EQ(forwarded_, (std::vector<int>{CMD_COPY, CMD_FIND_NEXT}));
    EXPECT_EQ(ran_, 1);
    // A closed editor no longer receives anything.
    DestroyWindow(editor);
    forwarded_.clear();
    task_menu_cmd(CMD_COPY);
    EXPECT_TRUE(forwarded_.empty());
}

TEST_F(ShellMainWindow, AcceleratorsLeaveEditingKeysToEditControls) {
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 50, 20, win_, nullptr, nullptr, nullptr);
    auto key = [](HWND w, UINT msg, WPARAM vk) {
        MSG m = {};
        m.hwnd = w;
        m.message = msg;
        m.wParam = vk;
        return vorn_accel_applies(m);
    };
    EXPECT_TRUE(key(win_, WM_KEYDOWN, VK_DELETE));
    EXPECT_FALSE(key(edit, WM_KEYDOWN, VK_DELETE));
    EXPECT_FALSE(key(edit, WM_KEYDOWN, VK_NEXT));
    EXPECT_FALSE(key(edit, WM_KEYDOWN, VK_ESCAPE));
    EXPECT_TRUE(key(edit, WM_KEYDOWN, VK_F5));
    EXPECT_TRUE(key(edit, WM_SYSKEYDOWN, VK_LEFT));
    DestroyWindow(edit);
}

TEST_F(ShellMainWindow, SaveOpenAndTheSaveQuestion) {
    std::string a = path("a.vrn"), b = path("b.vrn");
    Obj o;
    o.id = "First";
    view_obj_put(o);
    ASSERT_TRUE(file_save_document(a));
    EXPECT_EQ(file_is_changed(), 0);
    file_new_document(dir_.string() + "\\");
    o.id = "Second";
    view_obj_put(o);
    ASSERT_TRUE(file_save_document(b));

    // Changed, and the user cancels: nothing is opened.
    view_obj_put(o);
    file_set_changed();
    Boxes::answer = 3;
    EXPECT_EQ(file_open_document(a), 0);
    EXPECT_EQ(file_current_name(), b);
    ASSERT_EQ(Boxes::questions.size(), 1u);
    EXPECT_EQ(Boxes::questions[0], "Save File: File " + b + " has been changed, save it?");
    // "No": the other document opens and the title and history follow.
    Boxes::answer = 2;
    EXPECT_EQ(file_open_document(a), 1);
    ASSERT_TRUE(view_obj_find_id("First"));
    EXPECT_FALSE(view_obj_find_id("Second"));
    char title[512];
    GetWindowTextA(win_, title, sizeof title);
    EXPECT_NE(std::string(title).find("a.vrn"), std::string::npos) << title;
    EXPECT_EQ(menu_is_disabled(CMD_BACK), 1);
    task_menu_cmd(CMD_BACK);
    EXPECT_EQ(file_current_name(), b);
    EXPECT_TRUE(view_obj_find_id("Second"));
    EXPECT_EQ(file_recent_list().front(), b);
    EXPECT_EQ(file_recent_list().at(1), a);

    // A broken file is refused and the open document stays.
    std::ofstream(path("bad.vrn")) << "j_(1,\"x\",\n";
    EXPECT_EQ(file_open_document(path("bad.vrn")), 0);
    EXPECT_EQ(file_current_name(), b);
    EXPECT_TRUE(view_obj_find_id("Second"));
    EXPECT_FALSE(Boxes::errors.empty());
}

// A document another editor saved as UTF-8 or UTF-16 with its byte order mark opens with Ctrl+O,
// its accented letters and euro sign as this program writes them.
TEST_F(ShellMainWindow, ADocumentSavedAsUnicodeWithItsMarkOpens) {
    wt::HostDir host("vorn-utf8-mark");
    // iconv writes UTF-16 with its own mark.
    ASSERT_TRUE(host.run(R"(printf 'j_(1,"Caf\351 \200",1,0,0,0,0,161,0,1,0,0,"")\r\n' > ansi && )"
                         R"(iconv -f WINDOWS-1252 -t UTF-8 ansi > body && { printf '\357\273\277'; cat body; } > bom.vrn && )"
                         R"(iconv -f WINDOWS-1252 -t UTF-16 ansi > wide.vrn)"));
    for (const char* name : {"bom.vrn", "wide.vrn"}) {
        SendMessageA(win_, WM_COMMAND, CMD_NEW, 0);
        SetFocus(view_inst_);
        wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, host.dos(name)); });
        wt::key_with(VK_CONTROL, 'O');
        wt::pump(100);
        EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
        EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes.front();
        EXPECT_EQ(util_lower(file_current_name()), util_lower(host.dos(name)));
        EXPECT_TRUE(view_obj_find_id("Caf\xE9 \x80")) << name;
    }
}

// A document comes up at a level it has, whatever brought it and whatever level the one before
// was left at: level 1, or the nearest level in use when it has nothing there.
TEST_F(ShellMainWindow, EveryDocumentThatComesShowsALevelItHas) {
    auto save = [&](const char* name, std::initializer_list<int> levels) {
        view_doc() = Document();
        for (int l : levels) view_obj_put(view_obj_new("On " + std::to_string(l), 0, 0, l));
        ASSERT_TRUE(file_save_document(path(name)));
    };
    save("deep.vrn", {1, 2});
    save("one.vrn", {1});
    save("high.vrn", {3, 4});
    file_history().clear();
    auto shown = [] {
        const int level = sbar_view_state().level;
        EXPECT_TRUE(std::any_of(view_doc().objs.begin(), view_doc().objs.end(),
                                [&](const Obj& o) { return o.level == level; }))
            << "nothing on level " << level;
        return status_model().field_text(kStLevel, StatusHost());
    };
    auto down = [&](const char* expect) {
        SetFocus(view_inst_);
        wt::key(VK_NEXT);
        EXPECT_EQ(shown(), expect);
    };
    auto open_with_ctrl_o = [&](const char* name) {
        wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, path(name)); });
        SetFocus(view_inst_);
        wt::key_with(VK_CONTROL, 'O');
        pump(100);
        EXPECT_EQ(file_current_name(), path(name));
    };
    auto command = [&](int id) {
        SendMessageA(win_, WM_COMMAND, id, 0);
        pump(50);
    };

    open_with_ctrl_o("deep.vrn");
    EXPECT_EQ(shown(), "1 of 2");
    down("2 of 2");
    open_with_ctrl_o("one.vrn");
    EXPECT_EQ(shown(), "1 of 1");
    EXPECT_EQ(sbar_view_state().level, 1);

    command(CMD_BACK);
    EXPECT_EQ(file_current_name(), path("deep.vrn"));
    EXPECT_EQ(shown(), "1 of 2");
    down("2 of 2");
    command(CMD_FORWARD);
    EXPECT_EQ(shown(), "1 of 1");

    // Reload stays on the user's level while the file still has it.
    command(CMD_BACK);
    down("2 of 2");
    command(CMD_RELOAD);
    EXPECT_EQ(shown(), "2 of 2");
    ASSERT_TRUE(CopyFileA(path("one.vrn").c_str(), path("deep.vrn").c_str(), FALSE));
    command(CMD_RELOAD);
    EXPECT_EQ(shown(), "1 of 1");
    save("deep.vrn", {1, 2});
    command(CMD_RELOAD);

    down("2 of 2");
    open_with_ctrl_o("high.vrn");
    EXPECT_EQ(shown(), "3 of 3 to 4");
    down("4 of 3 to 4");
    command(CMD_NEW);
    EXPECT_EQ(status_model().field_text(kStLevel, StatusHost()), "1 of 1");
    EXPECT_EQ(sbar_view_state().level, 1);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
}

TEST_F(ShellMainWindow, BackFromANewDocumentReturnsToTheLastFile) {
    file_history().clear();
    std::string a = path("last.vrn");
    ASSERT_TRUE(file_save_document(a));
    task_menu_cmd(CMD_NEW);
    EXPECT_TRUE(file_is_untitled());
    EXPECT_EQ(menu_is_disabled(CMD_BACK), 1);
    task_menu_cmd(CMD_BACK);
    EXPECT_EQ(file_current_name(), a);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
    EXPECT_EQ(menu_is_disabled(CMD_BACK), 0);  // nothing before it
}

TEST_F(ShellMainWindow, OldIdeDocumentsOpenUnderTheirNewName) {
    std::ofstream(path("old.ide"), std::ios::binary) << "j_(1,\"Legacy\",0,0,0,0,0,0,0,1,0,0,\"\")\r\np_(350,20100)\r\n";
    EXPECT_TRUE(file_open_by_ext(path("old.ide"))) << (Boxes::errors.empty() ? "" : Boxes::errors[0]);
    EXPECT_EQ(file_current_name(), path("old.vrn"));
    EXPECT_TRUE(view_obj_find_id("Legacy"));
    EXPECT_FALSE(file_open_by_ext(path("picture.bmp")));
}

TEST_F(ShellMainWindow, EncryptionRoundTripsAFileInPlace) {
    std::string data("abc\0\x01\xff", 6);
    std::ofstream(path("secret.bin"), std::ios::binary) << data;
    std::string err;
    ASSERT_TRUE(file_crypt_file(path("secret.bin"), "pw", &err)) << err;
    auto once = file_read_text(path("secret.bin"));
    ASSERT_TRUE(once);
    EXPECT_NE(*once, data);
    ASSERT_TRUE(file_crypt_file(path("secret.bin"), "pw", &err)) << err;
    EXPECT_EQ(file_read_text(path("secret.bin")), data);
    EXPECT_FALSE(file_crypt_file(path("secret.bin"), "", &err));
}

// Through the menu, the file dialog and the password dialog, as a user does it.
TEST_F(ShellMainWindow, EncryptDecryptSaysWhichAndAWrongPasswordLeavesTheFileAlone) {
    const std::string doc = path("plan.vrn");
    const std::string text = "j_(1,\"Plan\",1,0,0,2,0,161,100,1,0,0,\"\")\r\np_(350,20110)\r\n";
    std::ofstream(doc, std::ios::binary) << text;
    auto crypt = [&](const char* password) {
        encrypt(doc, password);
        EXPECT_TRUE(wt::dialog_drivers().empty()) << "a dialog did not come";
    };
    auto content = [&] { return file_read_text(doc).value_or(""); };

    crypt("right");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("plan.vrn was encrypted."), std::string::npos) << Boxes::notes[0];
    const std::string sealed = content();
    EXPECT_NE(sealed, text);

    crypt("wrong");
    EXPECT_TRUE(Boxes::notes.empty());
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("plan.vrn"), std::string::npos) << Boxes::errors[0];
    EXPECT_EQ(content(), sealed);

    // Opening it says what it may be and how to undo that.
    Boxes::errors.clear();
    EXPECT_EQ(file_open_document(doc), 0);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("may be encrypted"), std::string::npos) << Boxes::errors[0];

    crypt("right");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("plan.vrn was decrypted."), std::string::npos) << Boxes::notes[0];
    EXPECT_EQ(content(), text);
}

// Text files are judged as documents are: a wrong password changes nothing. The open document
// is refused whole, or its next Save would write it back in plain text.
TEST_F(ShellMainWindow, AWrongPasswordLeavesATextFileAsItWasAndTheOpenDocumentIsRefused) {
    wt::HostDir host("vorn-crypt");
    ASSERT_TRUE(host.run("cp /usr/share/common-licenses/GPL-3 notes.txt"));
    const std::string notes = host.dos("notes.txt"), doc = host.dos("onelev.vrn");
    auto crypt = [&](const std::string& file, const char* password) { encrypt(file, password); };
    const std::string plain = wt::read_text(notes);
    ASSERT_GT(plain.size(), 30000u);

    crypt(notes, "opensesame");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("notes.txt was encrypted."), std::string::npos) << Boxes::notes[0];
    const std::string sealed = wt::read_text(notes);
    EXPECT_NE(sealed, plain);
    crypt(notes, "wrongpass");
    EXPECT_TRUE(Boxes::notes.empty());
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("left as it was"), std::string::npos) << Boxes::errors[0];
    EXPECT_EQ(wt::read_text(notes), sealed);
    crypt(notes, "opensesame");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("notes.txt was decrypted."), std::string::npos) << Boxes::notes[0];
    EXPECT_EQ(wt::read_text(notes), plain);

    ASSERT_TRUE(file_save_document(doc));
    const std::string saved = wt::read_text(doc);
    crypt(doc, "opensesame");
    EXPECT_FALSE(wt::dialog_drivers().empty()) << "the password was asked for";
    wt::forget_dialogs();
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("close it first"), std::string::npos) << Boxes::errors[0];
    EXPECT_EQ(wt::read_text(doc), saved);
}

// A file open in a text or rich window is refused as the document is, under any spelling of its
// name: the window's next Save would write it back in plain text. Once closed, it is encrypted.
TEST_F(ShellMainWindow, AFileOpenInATextOrRichWindowIsNotEncrypted) {
    wt::HostDir host("vorn-crypt-open");
    ASSERT_TRUE(host.run("cp /usr/share/common-licenses/GPL-3 Notes.txt && cp Notes.txt letter.txt && "
                         "soffice -env:UserInstallation=file://$PWD/lo --headless --convert-to rtf letter.txt "
                         "> /dev/null 2>&1 && mv letter.rtf Letter.rtf",
                         180000));
    for (const char* name : {"Notes.txt", "Letter.rtf"}) {
        const std::string file = host.dos(name), before = wt::read_text(file);
        ASSERT_FALSE(before.empty()) << name;
        wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, file); });
        SendMessageA(win_, WM_COMMAND, CMD_OPEN, 0);
        ASSERT_EQ(tw_inst_.size(), 1u) << name << " did not open";

        encrypt(util_lower(file), "opensesame");
        EXPECT_FALSE(wt::dialog_drivers().empty()) << "the password was asked for";
        wt::forget_dialogs();
        ASSERT_EQ(Boxes::errors.size(), 1u) << name;
        EXPECT_NE(Boxes::errors[0].find("is open in a text window: close it first"), std::string::npos) << Boxes::errors[0];
        EXPECT_EQ(wt::read_text(file), before) << name;

        SendMessageA(win_, WM_COMMAND, CMD_CLOSE_WINDOWS, 0);
        pump(20);
        ASSERT_TRUE(tw_inst_.empty());
        encrypt(file, "opensesame");
        ASSERT_EQ(Boxes::notes.size(), 1u) << name;
        EXPECT_NE(Boxes::notes[0].find("was encrypted."), std::string::npos) << Boxes::notes[0];
    }
}

// A real file named "untitled.vrn" is a document like any other; a new document's question
// names no folder, and names keep the case the disk has, however they reached the program.
TEST_F(ShellMainWindow, ARealUntitledVrnSavesInPlaceAndNamesKeepTheirCase) {
    wt::HostDir host("vorn-untitled");
    ASSERT_TRUE(host.run("printf 'j_(1,\"Alpha\",1,0,0,2,0,161,100,1,0,0,\"\")\\r\\np_(350,20110)\\r\\n' > untitled.vrn && "
                         "printf 'j_(1,\"Inside\",1,0,0,2,0,161,100,1,0,0,\"\")\\r\\np_(350,20110)\\r\\n' > 'Two Lev.vrn'"));
    wt::use_real_questions();
    auto title = [&] { return wt::text_of(win_); };
    auto flat = [](std::string t) {
        std::erase(t, '\n');
        return t;
    };
    const std::string real = host.dos("untitled.vrn");
    wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, real); });
    SendMessageA(win_, WM_COMMAND, CMD_OPEN, 0);
    ASSERT_EQ(file_current_name(), real);
    EXPECT_EQ(title(), "Vorn Idea Processor - [" + real + "]");
    view_obj_put(view_obj_new("Beta", 200, 0, 1));
    file_set_changed();
    bool asked_name = false;
    wt::when_dialog("Save As", [&](HWND d) {
        asked_name = true;
        wt::press(d, IDCANCEL);
    });
    SendMessageA(win_, WM_COMMAND, CMD_SAVE, 0);
    wt::forget_dialogs();
    EXPECT_FALSE(asked_name);
    EXPECT_NE(wt::read_text(real).find("\"Beta\""), std::string::npos);
    EXPECT_EQ(title(), "Vorn Idea Processor - [" + real + "]");

    // New, an edit, Back: the question names the new document without a folder.
    SendMessageA(win_, WM_COMMAND, CMD_NEW, 0);
    view_obj_put(view_obj_new("Gamma", 0, 0, 1));
    file_set_changed();
    wt::BoxSeen asked;
    wt::answer_box("Save File", IDNO, &asked);
    SendMessageA(win_, WM_COMMAND, CMD_BACK, 0);
    EXPECT_EQ(flat(asked.text), "File untitled.vrn has been changed, save it?");
    EXPECT_EQ(file_current_name(), real);

    // An object's sub-document named in lower case: title and question show the disk's case.
    Obj gate = view_obj_new("Gate", 0, 300, 1);
    gate.action = 40;
    gate.ext = file_lower(host.dos("Two Lev.vrn"));
    Key k = *view_obj_put(gate);
    ASSERT_TRUE(file_save_document(real));
    marked_obj_ = {k};
    SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
    pump(20);
    marked_obj_.clear();
    ASSERT_TRUE(view_obj_find_id("Inside"));
    EXPECT_EQ(title(), "Vorn Idea Processor - [" + host.dos("Two Lev.vrn") + "] (Sub 1)");
    view_obj_put(view_obj_new("Delta", 0, 0, 1));
    file_set_changed();
    wt::answer_box("Save File", IDCANCEL, &asked);
    SendMessageA(win_, WM_COMMAND, CMD_BACK, 0);
    EXPECT_EQ(flat(asked.text), "File " + host.dos("Two Lev.vrn") + " has been changed, save it?");
    file_clear_changed();
}

// Names keep the case of the disk however they reach the program: the program's own folder, a
// name typed in lower case into the file dialogs.
TEST_F(ShellMainWindow, NamesInTheProgramsFolderAndTypedOnesKeepTheirCase) {
    wt::HostDir host("VornProg");
    ASSERT_TRUE(host.run("printf 'A note\\r\\n' > Notes.txt"));
    struct Progdir {
        std::string was = file_progdir_path();
        ~Progdir() { file_set_progdir(was); }
    } keep;
    file_set_progdir(host.dos(""));
    SendMessageA(win_, WM_COMMAND, CMD_HYPERTEXT_EDITOR, 0);
    ASSERT_FALSE(tw_inst_.empty());
    EXPECT_EQ(wt::text_of(tw_inst_.back().win), host.dos("untitled.txt"));
    SendMessageA(tw_inst_.back().win, WM_CLOSE, 0, 0);  // the next commands are the diagram's

    view_obj_put(view_obj_new("Alpha", 0, 0, 1));
    file_set_changed();
    wt::when_dialog("Save As", [&](HWND d) { wt::choose_file(d, file_lower(host.dos("")) + "Plan.vrn"); });
    SendMessageA(win_, WM_COMMAND, CMD_SAVE_AS, 0);
    wt::forget_dialogs();
    EXPECT_EQ(wt::text_of(win_), "Vorn Idea Processor - [" + host.dos("Plan.vrn") + "]");

    wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, file_lower(host.dos("Notes.txt"))); });
    SendMessageA(win_, WM_COMMAND, CMD_OPEN, 0);
    wt::forget_dialogs();
    ASSERT_FALSE(tw_inst_.empty()) << "the text did not open";
    EXPECT_EQ(wt::text_of(tw_inst_.back().win), host.dos("Notes.txt"));
}

// A new document has no file, even when one named "untitled.vrn" lies in its folder.
TEST_F(ShellMainWindow, AnUntitledDocumentHasNoFileForAnyCommand) {
    const std::string other = "j_(1,\"Not this one\",1,0,0,2,0,161,100,1,0,0,\"\")\r\n";
    std::ofstream(path("untitled.vrn"), std::ios::binary) << other;
    std::ofstream(path("Mixed Case.vrn"), std::ios::binary) << "p_(350,20110)\r\n";
    auto title = [&] {
        char t[512] = {};
        GetWindowTextA(win_, t, sizeof t);
        return std::string(t);
    };
    ASSERT_EQ(file_open_document(path("Mixed Case.vrn")), 1);
    EXPECT_EQ(title(), "Vorn Idea Processor - [" + path("Mixed Case.vrn") + "]");  // as the user named it
    auto command = [&](int id) { SendMessageA(win_, WM_COMMAND, id, 0); };
    command(CMD_NEW);
    ASSERT_EQ(file_lower(file_current_name()), file_lower(path("untitled.vrn")));
    EXPECT_EQ(title(), "Vorn Idea Processor - [untitled.vrn]");

    command(CMD_SEND);
    EXPECT_EQ(Boxes::notes, std::vector<std::string>{"Save the document before sending it"});
    std::string report;
    wt::when_dialog("File Information", [&](HWND d) {
        char buf[2048] = {};
        GetDlgItemTextA(d, IDC_INFO_REPORT, buf, sizeof buf);
        report = buf;
        wt::press(d, IDCANCEL);
    });
    command(CMD_INFO);
    EXPECT_NE(report.find("Filename = untitled.vrn\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("not saved"), std::string::npos) << report;
    bool asked = false;
    wt::when_dialog("Save As", [&](HWND d) {
        asked = true;
        wt::press(d, IDCANCEL);
    });
    command(CMD_SAVE);
    EXPECT_TRUE(asked);
    EXPECT_EQ(file_read_text(path("untitled.vrn")), other);
}

// Save As with another extension: a box names the file and the dialog comes back to mend it.
TEST_F(ShellMainWindow, SaveAsWithAnotherExtensionNamesItAndAsksAgain) {
    wt::when_dialog("Save As", [&](HWND d) { wt::choose_file(d, path("notes.txt")); });
    wt::when_dialog("Save As", [&](HWND d) { wt::choose_file(d, path("notes.vrn")); });
    SendMessageA(win_, WM_COMMAND, CMD_SAVE_AS, 0);
    EXPECT_TRUE(wt::dialog_drivers().empty()) << "the dialog did not come back";
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("notes.txt"), std::string::npos) << Boxes::errors[0];
    EXPECT_NE(Boxes::errors[0].find("File extension not valid"), std::string::npos) << Boxes::errors[0];
    EXPECT_EQ(file_current_name(), path("notes.vrn"));
    EXPECT_TRUE(file_exists(path("notes.vrn")));
    EXPECT_FALSE(file_exists(path("notes.txt")));
}

TEST_F(ShellMainWindow, CloseAsksAndCancelKeepsTheWindow) {
    file_set_changed();
    Boxes::answer = 3;
    SendMessageA(win_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(win_));
    EXPECT_EQ(Boxes::questions.size(), 1u);
    Boxes::answer = 2;
    menu_check(CMD_WORDWRAP, 0);
    SendMessageA(win_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(win_));
    EXPECT_EQ(main_inst_, nullptr);
    // Placement and menu settings were written to the store.
    EXPECT_TRUE(placement_get());
    auto menu = file_setting_get_list_n("Menu", menu_setting_default());
    EXPECT_EQ(menu[menu_setting::Wordwrap], 0);
}

struct MenuProbe {
    HMENU file;
    std::vector<std::string> after_info;  // the items from Information to Exit, "-" a separator
    bool save_greyed = false;
} probe_;

void CALLBACK probe_open_menu(HWND win, UINT, UINT_PTR id, DWORD) {
    KillTimer(win, id);
    probe_.after_info.clear();
    bool in = false;
    for (int k = 0, n = GetMenuItemCount(probe_.file); k < n; ++k) {
        const UINT item = GetMenuItemID(probe_.file, k);
        in = in || item == CMD_INFO;
        if (!in) continue;
        char t[256] = {};
        GetMenuStringA(probe_.file, static_cast<UINT>(k), t, sizeof t, MF_BYPOSITION);
        probe_.after_info.push_back(item == 0 ? "-" : t);
    }
    probe_.save_greyed = greyed(probe_.file, CMD_SAVE);
    EndMenu();
}

// The File menu as the user opens it: the recent files there are, and no empty places for
// more; unavailable items grey.
TEST_F(ShellMainWindow, FileMenuShowsRecentFiles) {
    ShowWindow(win_, SW_SHOWNORMAL);
    SetForegroundWindow(win_);
    pump(50);
    probe_ = {popup_holding(GetMenu(win_), CMD_NEW)};
    ASSERT_NE(probe_.file, nullptr);
    RECT r;
    GetWindowRect(win_, &r);
    auto open_file_menu = [&] {
        SetTimer(win_, 77, 100, probe_open_menu);
        TrackPopupMenu(probe_.file, TPM_LEFTALIGN | TPM_TOPALIGN, r.left + 4, r.top + 40, 0, win_, nullptr);
    };
    ASSERT_TRUE(file_recent_list().empty());
    open_file_menu();
    EXPECT_EQ(probe_.after_info, (std::vector<std::string>{"&Information...", "-", "E&xit"}));

    std::string a = path("recent.vrn"), b = path("R&D.vrn");
    ASSERT_TRUE(file_save_document(a));
    open_file_menu();
    EXPECT_EQ(probe_.after_info, (std::vector<std::string>{"&Information...", "-", "&1 " + a, "-", "E&xit"}));
    EXPECT_TRUE(probe_.save_greyed);
    ASSERT_TRUE(file_save_document(b));
    open_file_menu();
    EXPECT_EQ(probe_.after_info,
              (std::vector<std::string>{"&Information...", "-", "&1 " + path("R&&D.vrn"), "&2 " + a, "-", "E&xit"}));
    // The items run their files.
    SendMessageA(win_, WM_COMMAND, CMD_FILE2, 0);
    EXPECT_EQ(file_current_name(), a);
    ShowWindow(win_, SW_HIDE);
}

// Option > Files: the list is the list-view wrapper's; a name edited in place is the wrapper's
// item text, an empty one is refused, and OK stores what the list shows.
struct FilesProbe {
    bool wrapped = false;
    int rows = 0;
    std::string edited, refused;
} files_;

void edit_row(HWND host, int row, const char* text) {
    HWND lv = lv_control_handle(host);
    SetFocus(lv);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(lv, LVM_EDITLABELA, static_cast<WPARAM>(row), 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, text);
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(edit, WM_KEYUP, VK_RETURN, 0);
}

void CALLBACK drive_files(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = FindWindowA("#32770", "Files");
    if (!d) return;
    KillTimer(nullptr, id);
    HWND host = GetDlgItem(d, IDC_FILES_LIST);
    try {
        files_.rows = lv_item_count(host);
        files_.wrapped = true;
        edit_row(host, 4, "c:\\quiz\\q.kba");  // Questions
        files_.edited = lv_get_item(host, 5).text;
        edit_row(host, 1, "");
        files_.refused = lv_get_item(host, 2).text;
    } catch (const VornError&) {
    }
    SendDlgItemMessageA(d, IDOK, BM_CLICK, 0, 0);
}

TEST_F(ShellMainWindow, FilesSettingsEditNamesThroughTheListWrapper) {
    files_ = {};
    SetTimer(nullptr, 0, 30, drive_files);
    SendMessageA(win_, WM_COMMAND, CMD_FILES_SETTINGS, 0);
    ASSERT_TRUE(files_.wrapped);
    EXPECT_EQ(files_.rows, 7);
    EXPECT_EQ(files_.edited, "c:\\quiz\\q.kba");
    EXPECT_EQ(files_.refused, file_progdir_path("vorn.tmp"));
    EXPECT_EQ(file_setting_get_text("Question", ""), "c:\\quiz\\q.kba");
    EXPECT_EQ(file_setting_get_text("TempFile", "unset"), "unset");
}

}  // namespace

// Start-up loads only what the first paint needs: the program imports these DLLs and no other,
// the rest load at their first call.
TEST(ShellStartUp, ProgramImportsOnlyWhatTheFirstPaintNeeds) {
    const std::string path = wt::program_dir() + "vorn2001.exe";
    std::ifstream in(path, std::ios::binary);
    std::string pe((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(pe.size(), sizeof(IMAGE_DOS_HEADER)) << path;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pe.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(pe.data() + dos->e_lfanew);
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    auto at = [&](DWORD rva) -> const char* {
        for (WORD k = 0; k < nt->FileHeader.NumberOfSections; ++k) {
            const auto& s = sections[k];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return pe.data() + s.PointerToRawData + (rva - s.VirtualAddress);
        }
        return nullptr;
    };
    const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        at(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
    ASSERT_NE(d, nullptr);
    std::vector<std::string> dlls;
    for (; d->Name; ++d) {
        std::string n = at(d->Name);
        std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        dlls.push_back(n);
    }
    std::sort(dlls.begin(), dlls.end());
    EXPECT_EQ(dlls, (std::vector<std::string>{"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}));
}
