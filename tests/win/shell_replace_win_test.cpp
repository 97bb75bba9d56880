// Files the program writes beside the document (another name than the one saved, a page's
// picture, a captured picture, a draft) are never replaced without a Yes; No keeps them byte for
// byte and goes back to the choice. The files replaced are made by other programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/file_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings_win.h"
#include "document/view.h"
#include "resources/analyze_ids.h"
#include "resources/ids.h"
#include "resources/pict_ids.h"
#include "win/print_unix.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::BoxSeen;
using wt::pump;

std::string bytes_of(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class WrittenFiles : public wt::MainWindowTest {
protected:
    WrittenFiles() : MainWindowTest("vorn_written_files_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        wt::use_real_questions();
        view_doc() = Document();
        Obj o = view_obj_new("Alpha", 0, 0, 1);
        view_obj_put(o);
    }
    std::string at(const char* name) const { return host_.dos(name); }
    // Saves the document by name, as Save does.
    void save_as_doc(const char* name) { ASSERT_TRUE(file_save_document(at(name))); }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
    // The file dialog with this title comes: `name` is typed and the dialog's button pressed.
    void type_in_file_dialog(const char* title, const std::string& name) {
        wt::when_dialog(title, [name](HWND d) { wt::choose_file(d, name); });
    }

    wt::HostDir host_{"vorn-written"};
};

std::string edit_text(HWND dlg) {
    char t[MAX_PATH] = {};
    GetDlgItemTextA(dlg, 0x480, t, sizeof t);
    if (!*t) GetDlgItemTextA(dlg, 0x47C, t, sizeof t);
    return t;
}

TEST_F(WrittenFiles, SaveAsUnderAnotherExtensionAsksBeforeReplacingTheDocumentOfThatName) {
    ASSERT_TRUE(host_.run("printf 'j_(1,\"Top1\",1,0,0,2,0,161,100,1,0,0,\"\")\\r\\np_(350,20110)\\r\\n' > twolev.vrn"));
    save_as_doc("onelev.vrn");
    const std::string theirs = bytes_of(at("twolev.vrn"));
    ASSERT_FALSE(theirs.empty());

    // No: the file stays, and the dialog comes back with the name typed.
    BoxSeen asked;
    std::string shown_again;
    type_in_file_dialog("Save As", at("twolev.ide"));
    wt::answer_box("Save As", IDNO, &asked);
    wt::when_dialog("Save As", [&](HWND d) {
        shown_again = edit_text(d);
        wt::press(d, IDCANCEL);
    });
    command(CMD_SAVE_AS);
    EXPECT_TRUE(wt::dialog_drivers().empty()) << "a dialog or the question did not come";
    wt::forget_dialogs();
    EXPECT_NE(asked.text.find("twolev.vrn exists. Replace it?"), std::string::npos) << asked.text;
    EXPECT_EQ(asked.default_button, IDNO);
    EXPECT_NE(shown_again.find("twolev.ide"), std::string::npos) << shown_again;
    EXPECT_EQ(bytes_of(at("twolev.vrn")), theirs);
    EXPECT_EQ(file_current_name(), at("onelev.vrn"));

    // A trailing dot names the same file; Yes replaces it.
    type_in_file_dialog("Save As", at("twolev."));
    wt::answer_box("Save As", IDYES, &asked);
    command(CMD_SAVE_AS);
    EXPECT_TRUE(wt::dialog_drivers().empty());
    EXPECT_NE(bytes_of(at("twolev.vrn")).find("\"Alpha\""), std::string::npos);
    EXPECT_EQ(file_current_name(), at("twolev.vrn"));

    // Opening an older ".ide" beside a ".vrn" of its name says which one opened.
    ASSERT_TRUE(host_.run("printf 'j_(1,\"Legacy\",1,0,0,2,0,161,100,1,0,0,\"\")\\r\\np_(350,20100)\\r\\n' > twolev.ide"));
    type_in_file_dialog("Open File", at("twolev.ide"));
    command(CMD_OPEN);
    EXPECT_TRUE(view_obj_find_id("Alpha"));
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("twolev.vrn was opened instead of twolev.ide"), std::string::npos) << Boxes::notes[0];
}

TEST_F(WrittenFiles, ExportHtmlAsksBeforeReplacingThePicture) {
    ASSERT_TRUE(host_.run("convert -size 64x64 xc:orange report.gif"));
    save_as_doc("plan.vrn");
    const std::string orange = bytes_of(at("report.gif"));
    ASSERT_EQ(orange.substr(0, 3), "GIF");

    BoxSeen asked;
    bool back = false;
    type_in_file_dialog("Export HTML", at("report.htm"));
    wt::answer_box("Export HTML", IDNO, &asked);
    wt::when_dialog("Export HTML", [&](HWND d) {
        back = true;
        wt::press(d, IDCANCEL);
    });
    command(CMD_EXPORT_HTML);
    EXPECT_TRUE(back) << "the dialog did not come back";
    EXPECT_NE(asked.text.find("report.gif exists. Replace it?"), std::string::npos) << asked.text;
    EXPECT_EQ(asked.default_button, IDNO);
    EXPECT_EQ(bytes_of(at("report.gif")), orange);
    EXPECT_FALSE(file_exists(at("report.htm")));

    type_in_file_dialog("Export HTML", at("report.htm"));
    wt::answer_box("Export HTML", IDYES);
    command(CMD_EXPORT_HTML);
    EXPECT_TRUE(wt::dialog_drivers().empty());
    EXPECT_NE(bytes_of(at("report.gif")), orange);
    EXPECT_TRUE(file_exists(at("report.htm")));
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
}

TEST_F(WrittenFiles, CaptureAsksBeforeReplacingAPictureBesideTheDocumentOrOnTheDesktop) {
    ASSERT_TRUE(host_.run("convert -size 40x30 gradient:red-blue plan.jpg"));
    save_as_doc("plan.vrn");
    const std::string rose = bytes_of(at("plan.jpg"));
    ASSERT_FALSE(rose.empty());
    const std::string desktop = reg_get(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                        "Desktop", "").text;
    ASSERT_FALSE(desktop.empty());
    const std::string on_desk = desktop + "\\vorn_written_test.jpg";
    ASSERT_TRUE(CopyFileA(at("plan.jpg").c_str(), on_desk.c_str(), FALSE));

    auto choose = [](HWND dlg, int dest, const char* name) {
        CheckRadioButton(dlg, IDC_CAP_CLIPBOARD, IDC_CAP_PREVIEW, dest);
        wt::press(dlg, dest);
        HWND format = GetDlgItem(dlg, IDC_CAP_FORMAT);
        SendMessageA(format, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(".jpg"));
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CAP_FORMAT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(format));
        if (name) SetDlgItemTextA(dlg, IDC_CAP_NAME, name);
        wt::press(dlg, IDOK);
    };
    for (int dest : {IDC_CAP_CURRENT, IDC_CAP_DESKTOP}) {
        const bool here = dest == IDC_CAP_CURRENT;
        BoxSeen asked;
        std::string proposed;
        bool kept_choice = false;
        wt::when_dialog("Capture Picture", [&](HWND dlg) {
            choose(dlg, dest, here ? nullptr : "vorn_written_test.jpg");
            proposed = wt::text_of(GetDlgItem(dlg, IDC_CAP_NAME));
        });
        wt::answer_box("Capture Picture", IDNO, &asked);
        wt::when_dialog("Capture Picture", [&](HWND dlg) {
            kept_choice = IsDlgButtonChecked(dlg, dest) == BST_CHECKED;
            wt::press(dlg, IDCANCEL);
        }, IDC_CAP_NAME);
        command(CMD_CAPTURE);
        EXPECT_TRUE(wt::dialog_drivers().empty()) << dest;
        wt::forget_dialogs();
        if (here) {
            EXPECT_EQ(proposed, "plan.jpg");
        }
        EXPECT_NE(asked.text.find(here ? "plan.jpg exists. Replace it?" : "vorn_written_test.jpg exists. Replace it?"),
                  std::string::npos)
            << asked.text;
        EXPECT_EQ(asked.default_button, IDNO);
        EXPECT_TRUE(kept_choice) << "the dialog did not come back with the choice made";
        EXPECT_EQ(bytes_of(here ? at("plan.jpg") : on_desk), rose);
    }
    DeleteFileA(on_desk.c_str());

    wt::when_dialog("Capture Picture", [&](HWND dlg) { choose(dlg, IDC_CAP_CURRENT, nullptr); });
    wt::answer_box("Capture Picture", IDYES);
    command(CMD_CAPTURE);
    EXPECT_TRUE(wt::dialog_drivers().empty());
    EXPECT_NE(bytes_of(at("plan.jpg")), rose);
}

TEST_F(WrittenFiles, DraftAsksBeforeReplacingAndSaysWhereItWroteOrWhyNot) {
    // A rich text the user wrote elsewhere, under the name a draft takes.
    ASSERT_TRUE(host_.run("printf 'My own draft\\n' > mine.txt && soffice -env:UserInstallation=file://$PWD/lo --headless "
                          "--convert-to rtf mine.txt > /dev/null 2>&1 && mv mine.rtf plan.rtf",
                          180000));
    save_as_doc("plan.vrn");
    const std::string mine = bytes_of(at("plan.rtf"));
    ASSERT_EQ(mine.rfind("{\\rtf", 0), 0u);
    auto draft = [&] {
        command(CMD_ANALYZER);
        pump(20);
        HWND dlg = dlg_find_modeless(IDD_ANALYZE);
        if (dlg) wt::press(dlg, IDC_AN_DRAFT);
        pump(20);
        return dlg;
    };

    BoxSeen asked;
    wt::answer_box("Draft", IDNO, &asked);
    HWND dlg = draft();
    ASSERT_NE(dlg, nullptr);
    EXPECT_NE(asked.text.find("plan.rtf exists. Replace it?"), std::string::npos) << asked.text;
    EXPECT_EQ(asked.default_button, IDNO);
    EXPECT_TRUE(IsWindow(dlg)) << "No closed the Analyzer";
    EXPECT_EQ(bytes_of(at("plan.rtf")), mine);
    EXPECT_TRUE(Boxes::notes.empty());

    wt::answer_box("Draft", IDYES);
    draft();
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_NE(bytes_of(at("plan.rtf")).find("Alpha"), std::string::npos);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "The draft was written to " + at("plan.rtf"));

    // A new document has no place for a draft: it says so and writes nothing.
    command(CMD_NEW);
    Boxes::notes.clear();
    draft();
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("no file yet"), std::string::npos) << Boxes::notes[0];
    EXPECT_FALSE(file_exists(at("untitled.rtf")));
    EXPECT_EQ(dlg_find_modeless(IDD_ANALYZE), nullptr);
}

}  // namespace
