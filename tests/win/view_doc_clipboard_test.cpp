// The clipboard and file-replacing side of the document under Wine: real clipboard formats,
// real MoveFileEx/ReplaceFile behaviour.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/commands_win.h"
#include "base/error.h"
#include "document/clip.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/ids.h"

namespace {

class ViewDocClipboard : public ::testing::Test {
protected:
    static inline std::vector<std::string> notes;
    void SetUp() override {
        view_doc() = Document();
        view_undo_clear();
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
        notes.clear();
        view_doc_register_commands();
        MsgHooks h;
        h.note = [](const std::string& t) { notes.push_back(t); };
        h.error = [](const std::string& t) { notes.push_back(t); };
        old_ = msg_set_hooks(h);
    }
    void TearDown() override { msg_set_hooks(old_); }
    static void run(int id) {
        const Command* c = cmd_find(id);
        ASSERT_NE(c, nullptr) << id;
        c->run();
    }
    static Key add(const char* id, int x) {
        Obj o;
        o.id = id;
        o.x = x;
        o.level = 1;
        return *view_obj_put(o);
    }
    static std::string clipboard_text() {
        std::string s;
        if (!OpenClipboard(nullptr)) return s;
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            if (const char* p = static_cast<const char*>(GlobalLock(h))) {
                s = p;
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
        return s;
    }
    static void set_clipboard(UINT format, const std::string& data) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, data.size() + 1);
        char* p = static_cast<char*>(GlobalLock(g));
        memcpy(p, data.data(), data.size());
        p[data.size()] = 0;
        GlobalUnlock(g);
        SetClipboardData(format, g);
        CloseClipboard();
    }
    MsgHooks old_;
};

}  // namespace

TEST_F(ViewDocClipboard, CopyPasteCutThroughTheRealClipboard) {
    Key a = add("alpha", 0), b = add("beta", 100);
    view_link_add(Link{a, b, 0, 0, 0, 0, "ab"});
    marked_obj_ = {a, b};
    run(CMD_COPY);
    EXPECT_EQ(clipboard_text(), "alpha\r\nbeta\r\n");
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("Vorn Diagram")));
    EXPECT_TRUE(cmd_find(CMD_PASTE)->enabled());

    run(CMD_PASTE);
    ASSERT_EQ(view_doc().objs.size(), 4u);
    ASSERT_EQ(marked_obj_.size(), 2u);
    const Obj& copy = *view_doc().obj(marked_obj_[0]);
    EXPECT_EQ(copy.id, "alpha");
    EXPECT_NE(copy.x, 0);  // stepped aside from the original
    EXPECT_TRUE(view_link_get(marked_obj_[0], marked_obj_[1]));

    run(CMD_CUT);
    EXPECT_EQ(view_doc().objs.size(), 2u);
    EXPECT_TRUE(marked_obj_.empty());
    run(CMD_PASTE);
    EXPECT_EQ(view_doc().objs.size(), 4u);
    EXPECT_TRUE(notes.empty());
}

TEST_F(ViewDocClipboard, TextAndBitmapsFromOtherPrograms) {
    set_clipboard(CF_TEXT, "first idea\r\nsecond idea\r\n");
    run(CMD_PASTE);
    ASSERT_EQ(view_doc().objs.size(), 2u);
    EXPECT_EQ(view_doc().objs[1].id, "second idea");

    // A 2 x 2 24-bit bitmap put on the clipboard as a bitmap; the system offers it as CF_DIB.
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 2, 2);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, bmp);
    CloseClipboard();
    run(CMD_PASTE);
    ASSERT_EQ(view_doc().objs.size(), 3u);
    EXPECT_EQ(view_doc().objs[2].shape, 173);
    ASSERT_EQ(view_doc().bins.size(), 1u);
    EXPECT_EQ(view_doc().bins[0].data.substr(0, 4), "424d");
    EXPECT_TRUE(notes.empty());
}

TEST_F(ViewDocClipboard, SaveReplacesExistingAndNewFilesAndSurvivesALockedTarget) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string name = std::string(dir) + "vorn_doc_replace.vrn";
    DeleteFileA(name.c_str());
    add("one", 0);
    std::string err;
    ASSERT_TRUE(view_save_file(name, &err)) << err;  // no target yet
    add("two", 0);
    ASSERT_TRUE(view_save_file(name, &err)) << err;  // replaces the target
    Document back;
    ASSERT_TRUE(view_read_document(name, back, &err)) << err;
    EXPECT_EQ(back.objs.size(), 2u);

    // Another program holds the file open without sharing: the save fails, the file stays.
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    add("three", 0);
    EXPECT_FALSE(view_save_file(name, &err));
    EXPECT_NE(err.find("Saving"), std::string::npos);
    CloseHandle(h);
    ASSERT_TRUE(view_read_document(name, back, &err)) << err;
    EXPECT_EQ(back.objs.size(), 2u);
    EXPECT_EQ(GetFileAttributesA((name + ".~tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(name.c_str());
}

// Paste's state is kept between refreshes; every change of the clipboard, by this program or
// another, is still seen, emptied included.
TEST_F(ViewDocClipboard, PasteStateFollowsEachChangeOfTheClipboard) {
    const Command* paste = cmd_find(CMD_PASTE);
    ASSERT_NE(paste, nullptr);
    set_clipboard(CF_TEXT, "words");
    EXPECT_TRUE(paste->enabled());
    EXPECT_TRUE(paste->enabled());
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(paste->enabled());
    EXPECT_FALSE(paste->enabled());
    set_clipboard(RegisterClipboardFormatA("Private Format"), "x");
    EXPECT_FALSE(paste->enabled());
    set_clipboard(CF_TEXT, "more words");
    EXPECT_TRUE(paste->enabled());
    // What the system makes of another program's format counts: Unicode text alone, a bitmap
    // alone, an enhanced metafile alone.
    set_clipboard(CF_UNICODETEXT, std::string("w\0o\0r\0d\0\0", 9));
    EXPECT_TRUE(paste->enabled());
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, CreateBitmap(4, 4, 1, 32, nullptr));
    CloseClipboard();
    EXPECT_TRUE(paste->enabled());
    set_clipboard(RegisterClipboardFormatA("Private Format"), "x");
    EXPECT_FALSE(paste->enabled());
    HDC mf = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    Rectangle(mf, 0, 0, 10, 10);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, CloseEnhMetaFile(mf));
    CloseClipboard();
    EXPECT_TRUE(paste->enabled());
}
