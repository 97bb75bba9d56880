#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <fstream>
#include <sstream>

#include "bars/sbar.h"
#include "bars/tbar.h"
#include "bars/toolbox.h"
#include "base/file.h"
#include "base/file_save.h"
#include "base/letters.h"
#include "document/clip.h"
#include "document/view.h"
#include "document/view_io.h"
#include "view_fixture.h"

namespace fs = std::filesystem;

namespace {

class ViewFiles : public ViewFixture {
protected:
    fs::path dir;
    void SetUp() override {
        ViewFixture::SetUp();
        dir = fs::temp_directory_path() / ("vorn_view_io_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        ViewFixture::TearDown();
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    static void write(const std::string& name, const std::string& text) {
        std::ofstream(name, std::ios::binary) << text;
    }
    static std::string read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    int save_temps() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir)) n += file_is_save_temp(e.path().filename().string());
        return n;
    }
    void make_current(const std::string& id) {
        view_doc() = Document();
        Obj o;
        o.key = 1;
        o.id = id;
        view_doc().objs.push_back(o);
        view_doc().touch_objs();
    }
};

}  // namespace

TEST_F(ViewFiles, BadFilesLeaveTheOpenDocumentAlone) {
    struct Case { const char* text; const char* expect; };
    const Case cases[] = {
        {"j_(1,\"a\",0,0,0,0,0,0,0,1,0,0,\"\")\nj_(2,\"b\")\n", "line 2"},
        {"p_(350,20200)\n", "Incompatible Vorn file version"},
        {"j_(70000,\"a\",0,0,0,0,0,0,0,1,0,0,\"\")\n", "line 1"},
        {"j_(1,\"unterminated\n", "line 1"},
        {"\x01\x02\x03\xff garbage", "may be encrypted"},
    };
    for (const Case& c : cases) {
        make_current("keep me");
        write(path("bad.vrn"), c.text);
        std::string err;
        EXPECT_FALSE(view_load_file(path("bad.vrn"), &err)) << c.text;
        EXPECT_NE(err.find("Loading " + path("bad.vrn")), std::string::npos) << err;
        EXPECT_NE(err.find(c.expect), std::string::npos) << err;
        ASSERT_EQ(view_doc().objs.size(), 1u);
        EXPECT_EQ(view_doc().objs[0].id, "keep me");
    }
}

TEST_F(ViewFiles, MissingFileAndEmptyNameGiveAnEmptyDocument) {
    for (std::string name : {path("nothing-here.vrn"), std::string()}) {
        make_current("old");
        marked_obj_ = {1};
        view_edit(7);
        view_undo_record("x");
        std::string err;
        ASSERT_TRUE(view_load_file(name, &err)) << err;
        EXPECT_TRUE(view_doc().objs.empty());
        EXPECT_EQ(view_doc().params, (std::map<int, int32_t>{{1, 1}, {350, kFormatVersion}}));
        EXPECT_TRUE(marked_obj_.empty());
        EXPECT_FALSE(view_can_undo());
        EXPECT_FALSE(view_doc().changed);
    }
}

TEST_F(ViewFiles, OlderVersionsAreBroughtUpToDateWithoutAChange) {
    write(path("old.vrn"), "j_(1,\"a\",0,0,0,0,0,0,0,1,0,0,\"\")\np_(350,20100)\n");
    ASSERT_TRUE(view_load_file(path("old.vrn"), nullptr));
    EXPECT_EQ(view_param_get(350), kFormatVersion);
    EXPECT_FALSE(view_doc().changed);
    write(path("none.vrn"), "j_(1,\"a\",0,0,0,0,0,0,0,1,0,0,\"\")\n");  // no version at all
    ASSERT_TRUE(view_load_file(path("none.vrn"), nullptr));
    EXPECT_EQ(view_param_get(350), kFormatVersion);
}

TEST_F(ViewFiles, SaveAndLoadRoundTripKeepingUnknownRecords) {
    const std::string text =
        "j_(1,\"A \\\"quoted\\\" id\",1,10,-20,3,0,161,20,1,0,7,\"line\\r\\nnext\")\r\n"
        "j_(2,\"B\",1,0,0,0,0,161,0,1,0,0,\"\")\r\n"
        "b_(1,2,4,513,65539,0,\"label\")\r\n"
        "s_(1,3,1,5,2,0,10,10,0)\r\n"
        "p_(7,8)\r\n"
        "q_(22,\"Title\")\r\n"
        "x_(1,2,3,4,5)\r\n"
        "xy_(2,1,5,5,255)\r\n"
        "c_(1,3)\r\n"
        "later_record_(1,[2,\"x\"],3.5)\r\n"
        "  later_( 1e5 , \"a\\x41\x01\" ,[ ] ) \n";
    write(path("a.vrn"), text);
    std::string err;
    ASSERT_TRUE(view_load_file(path("a.vrn"), &err)) << err;
    Shape region;
    region.kind = kRegionShapeKind;
    view_shape_put(region);  // a marked region is not part of the document
    ASSERT_TRUE(view_save_file(path("b.vrn"), &err)) << err;
    EXPECT_FALSE(view_doc().changed);
    std::string saved = read(path("b.vrn"));
    EXPECT_NE(saved.find("later_record_(1,[2,\"x\"],3.5)\r\n"), std::string::npos) << saved;
    // Records the program does not know go back as they came, only the line end made CR LF.
    EXPECT_NE(saved.find("\r\nlater_( 1e5 , \"a\\x41\x01\" ,[ ] )\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nx_(1,2,3,4,5)\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("p_(350,20110)"), std::string::npos);
    EXPECT_EQ(saved.find("s_(2,25"), std::string::npos);

    Document before = view_doc();
    ASSERT_TRUE(view_load_file(path("b.vrn"), &err)) << err;
    EXPECT_EQ(view_doc().objs, before.objs);
    EXPECT_EQ(view_doc().links, before.links);
    EXPECT_EQ(view_doc().unknown, before.unknown);
    EXPECT_EQ(view_doc().x_records, before.x_records);
    EXPECT_EQ(view_doc().shapes.size(), 1u);
}

// A document of many small records is held in about the size of its file, whatever the kind:
// no vector left half empty by doubling, records carried as text kept as text.
TEST(DocumentMemory, RecordsAreHeldNearTheirSize) {
    std::string carried, text = "p_(350,20110)\r\n";
    for (int i = 0; i < 3000; ++i) {
        carried += "u_(0,1,2,3,4,5,6,7,8,9,[0,1],\"\")\r\n";
        text += "f_(1,\"2\")\r\nxy_(1,1,0,0,0)\r\nc_(1,2)\r\nobj_seq_(1,2,\"\")\r\nb_(1,2,0,0,0,0,\"\")\r\n";
    }
    Document d;
    LoadError err;
    ASSERT_TRUE(Document::from_text(text + carried, d, err)) << err.message;
    EXPECT_EQ(d.unknown, carried);
    EXPECT_LE(d.unknown.capacity(), carried.size() + 64);
    for (size_t cap : {d.values.capacity(), d.points.capacity(), d.clusters.capacity(), d.seq.capacity(),
                       d.links.capacity()})
        EXPECT_EQ(cap, 3000u);
}

TEST_F(ViewFiles, SaveReplacesWholeAndKeepsABackupWhenAsked) {
    write(path("d.vrn"), "j_(9,\"old\",0,0,0,0,0,0,0,1,0,0,\"\")\n");
    make_current("new");
    std::string err = "stale";
    ASSERT_TRUE(view_save_file(path("d.vrn"), &err, true));
    EXPECT_EQ(err, "");
    EXPECT_NE(read(path("d.bk2")).find("\"old\""), std::string::npos);
    EXPECT_NE(read(path("d.vrn")).find("\"new\""), std::string::npos);
    EXPECT_EQ(read(path("d.vrn")).find("\"old\""), std::string::npos);
    EXPECT_EQ(save_temps(), 0);
}

TEST_F(ViewFiles, FailedSaveKeepsTheTargetAndLeavesNoTemporaryFile) {
    fs::create_directories(dir / "target.vrn");  // cannot be replaced by a file
    write(path("target.vrn/inside"), "x");
    make_current("new");
    view_doc().changed = true;
    std::string err;
    EXPECT_FALSE(view_save_file(path("target.vrn"), &err));
    EXPECT_NE(err.find("Saving"), std::string::npos);
    EXPECT_TRUE(view_doc().changed);
    EXPECT_TRUE(fs::is_directory(dir / "target.vrn"));
    EXPECT_EQ(save_temps(), 0);
    EXPECT_FALSE(view_save_file(path("no/such/dir/x.vrn"), &err));
}

TEST_F(ViewFiles, RichTextDraftIsEscaped) {
    make_current("a{b}\\c \xe9");
    // A field of the object's text shows as its text alone, as a reader sees it.
    view_doc().objs[0].ext = "See the \x0b" "budget\x0e" "budget.vrn\x0f now.";
    std::string err;
    ASSERT_TRUE(view_save(path("draft.rtf"), &err)) << err;
    std::string rtf = read(path("draft.rtf"));
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("a\\{b\\}\\\\c \\'e9"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("See the budget now."), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\'0"), std::string::npos) << rtf;
    // Braces balance, so the file stays readable.
    int depth = 0;
    for (size_t k = 0; k < rtf.size(); ++k) {
        if (rtf[k] == '\\') { ++k; continue; }
        depth += rtf[k] == '{' ? 1 : rtf[k] == '}' ? -1 : 0;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

TEST_F(ViewFiles, AttachedFilesAreTheExistingPicturesOnce) {
    write(path("photo.bmp"), "BM");
    write(path("back.bmp"), "BM");
    file_set_current_name(path("doc.vrn"));
    view_doc().bins = {{1, 2, "photo.bmp", 0, 0, ""}, {2, 2, "missing.bmp", 0, 0, ""},
                       {3, 2, "photo.bmp", 0, 0, ""}, {4, 1, "embedded", 0, 0, "00"}};
    view_doc().set_param(7, 8);
    view_doc().set_text_param(23, "back.bmp");
    auto full = view_attached_files(2);
    auto names = view_attached_files(3);
    ASSERT_EQ(full.size(), 2u);
    ASSERT_EQ(names.size(), full.size());
    EXPECT_EQ(full[0], path("photo.bmp"));
    EXPECT_EQ(names[1], "back.bmp");
    // The report lists what it cannot find, marked; mail attaches only what exists.
    EXPECT_EQ(view_attached_files(1), (std::vector<std::string>{"photo.bmp", "missing.bmp (missing)", "back.bmp"}));
    view_doc().set_param(7, 1);  // the background no longer shows the picture
    EXPECT_EQ(view_attached_files(3).size(), 1u);
    file_set_current_name("");
}

namespace {

// The zoom, palette and toolbox as they are at start-up.
void reset_bars() {
    sbar_cmd(kSbarZoom, kSbSet, 100);
    tbar_palette_reset();
    toolbox_model() = ToolboxModel();
}

class ViewToolFiles : public ViewFiles {
protected:
    void SetUp() override {
        ViewFiles::SetUp();
        reset_bars();
    }
    void TearDown() override {
        reset_bars();
        ViewFiles::TearDown();
    }
};

}  // namespace

TEST_F(ViewToolFiles, ZoomColourAndToolsGoWithTheDocument) {
    struct Case { ViewTools t; const char* record; };
    const Case cases[] = {
        {{150, 5, 163, 5, 4, 1}, "p_(21,150)"},
        {{25, 31, 168 + 37, 11, 6, 0}, "p_(311,205)"},  // the Icon tool keeps its icon
        {{275, 0, 188, 8, 7, 1}, "p_(314,6)"},
    };
    for (const Case& c : cases) {
        view_tools_apply(c.t);
        ASSERT_EQ(view_tools_now(), c.t);
        make_current("a");
        std::string err;
        ASSERT_TRUE(view_save_file(path("t.vrn"), &err)) << err;
        EXPECT_FALSE(view_doc().changed);
        EXPECT_NE(read(path("t.vrn")).find(c.record), std::string::npos);

        reset_bars();
        ASSERT_TRUE(view_load_file(path("t.vrn"), &err)) << err;
        EXPECT_EQ(view_tools_of(view_doc()), c.t);
        view_tools_apply(view_tools_of(view_doc()));
        EXPECT_EQ(sbar_view_state().zoom, c.t.zoom);
        EXPECT_EQ(tbar_current_color().index, c.t.colour);
        EXPECT_EQ(toolbox_current(kTgObject), c.t.object);
        EXPECT_EQ(toolbox_current(kTgPoint), c.t.point);
        EXPECT_FALSE(view_doc().changed);
    }
}

TEST_F(ViewToolFiles, DefaultToolsAddNothingAndMarkNothing) {
    make_current("a");
    std::string err;
    ASSERT_TRUE(view_save_file(path("d.vrn"), &err)) << err;
    std::string saved = read(path("d.vrn"));
    for (const char* code : {"p_(21,", "p_(310,", "p_(311,", "p_(312,", "p_(314,", "p_(362,"})
        EXPECT_EQ(saved.find(code), std::string::npos) << code;
    EXPECT_EQ(changed_calls, 0);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ViewToolFiles, DamagedSettingsGiveTheDefaults) {
    struct Case { int code; int32_t value; };
    const Case cases[] = {
        {21, 0}, {21, 276}, {310, 32}, {310, -1}, {311, 0}, {311, 199},
        {312, 12}, {314, -1}, {314, 7}, {362, 2},
    };
    for (const Case& c : cases) {
        Document d;
        d.set_param(c.code, c.value);
        EXPECT_EQ(view_tools_of(d), ViewTools{}) << c.code << "=" << c.value;
    }
}

TEST_F(ViewToolFiles, AFailedSaveLeavesNewToolsMarkedChanged) {
    make_current("a");
    view_tools_apply({120, 2, 161, 0, 1, 0});
    std::string err;
    EXPECT_FALSE(view_save_file(path("no/such/dir/x.vrn"), &err));
    EXPECT_TRUE(view_doc().changed);
    EXPECT_EQ(view_param_get(21), 120);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ViewFiles, WriteReplaceLeavesTheOldFileOrTheNewOne) {
    write(path("old.txt"), "original");
    fs::create_directories(dir / "busy.txt" / "inner");
    struct Case { const char* name; bool ok; const char* after; };
    const Case cases[] = {
        {"old.txt", true, "replaced"},
        {"new.txt", true, "replaced"},
        {"busy.txt", false, nullptr},  // a directory stands there
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_EQ(view_write_replace(path(c.name), "replaced", &err), c.ok) << c.name;
        if (c.after) EXPECT_EQ(read(path(c.name)), c.after);
        else EXPECT_NE(err.find("Saving"), std::string::npos);
    }
    EXPECT_EQ(save_temps(), 0);
}

TEST_F(ViewFiles, SaveTemporariesAreUniqueAndLeftoversGoAtTheNextSave) {
    // Names an earlier program version used for its temporary file: a user's file and a folder.
    write(path("d.vrn.~tmp"), "user's own file");
    fs::create_directories(dir / "e.vrn.~tmp");
    // Left by saves that were killed half way; the look-alikes are not ours.
    write(path("~vs0123abcd.tmp"), "half");
    write(path("~vs89ABCDEF.tmp"), "half");
    write(path("~vs0123abcg.tmp"), "keep");
    write(path("~vs0123abc.tmp"), "keep");
    std::string err;
    ASSERT_TRUE(view_write_replace(path("d.vrn"), "new d", &err)) << err;
    ASSERT_TRUE(view_write_replace(path("e.vrn"), "new e", &err)) << err;
    EXPECT_EQ(read(path("d.vrn")), "new d");
    EXPECT_EQ(read(path("e.vrn")), "new e");
    EXPECT_EQ(read(path("d.vrn.~tmp")), "user's own file");
    EXPECT_TRUE(fs::is_directory(dir / "e.vrn.~tmp"));
    EXPECT_EQ(save_temps(), 0);
    EXPECT_TRUE(fs::exists(path("~vs0123abcg.tmp")));
    EXPECT_TRUE(fs::exists(path("~vs0123abc.tmp")));
}

TEST_F(ViewFiles, AFullDiskIsReportedAndTheDocumentKept) {
    write(path("d.vrn"), "j_(9,\"old\",0,0,0,0,0,0,0,1,0,0,\"\")\n");
    make_current("new");
    view_doc().changed = true;
    for (size_t after : {size_t{0}, size_t{10}}) {
        file_save_fail_writes(ENOSPC, after);
        std::string err;
        EXPECT_FALSE(view_save_file(path("d.vrn"), &err));
        file_save_fail_writes(0);
        EXPECT_EQ(err, "Saving " + path("d.vrn") + "\n" + std::strerror(ENOSPC));
        EXPECT_NE(read(path("d.vrn")).find("\"old\""), std::string::npos);
        EXPECT_TRUE(view_doc().changed);
        EXPECT_EQ(save_temps(), 0);
    }
}

// A document saved with a UTF-8 mark opens, its texts in the program's characters; what has no
// form there is told in a note.
TEST_F(ViewFiles, ADocumentMarkedAsUtf8Opens) {
    write(path("bom.vrn"), "\xEF\xBB\xBFj_(1,\"Caf\xC3\xA9\",1,0,0,0,0,161,0,1,0,0,\"\")\r\n"
                           "j_(2,\"\xE2\x98\x83\",1,0,90,0,0,161,0,1,0,0,\"\")\r\n");
    std::string err;
    ASSERT_TRUE(view_load_file(path("bom.vrn"), &err)) << err;
    ASSERT_EQ(view_doc().objs.size(), 2u);
    EXPECT_EQ(view_doc().objs[0].id, "Caf\xE9");
    EXPECT_EQ(view_doc().objs[1].id, "?");
    EXPECT_EQ(view_take_load_note(),
              path("bom.vrn") + "\n1 character has no form in the Windows-1252 character set and reads as \"?\"");
    EXPECT_FALSE(view_doc().changed);
    // A mark before text that is not UTF-8 after all: the text is read as it stands.
    write(path("odd.vrn"), "\xEF\xBB\xBFj_(1,\"Caf\xE9\",1,0,0,0,0,161,0,1,0,0,\"\")\r\n");
    ASSERT_TRUE(view_load_file(path("odd.vrn"), &err)) << err;
    EXPECT_EQ(view_doc().objs[0].id, "Caf\xE9");
    EXPECT_EQ(view_take_load_note(), "");
}

// The same from an editor that writes UTF-16 with its mark, in either byte order: a character
// written as two units counts as one.
TEST_F(ViewFiles, ADocumentMarkedAsUtf16Opens) {
    const std::u16string text = u"j_(1,\"Caf\u00E9 \u20AC\",1,0,0,0,0,161,0,1,0,0,\"\")\r\n"
                                u"j_(2,\"\u2603\U0001F600\",1,0,90,0,0,161,0,1,0,0,\"\")\r\n";
    for (bool little : {true, false}) {
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (char16_t u : text) {
            const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
            bytes += little ? std::string{lo, hi} : std::string{hi, lo};
        }
        write(path("u16.vrn"), bytes);
        std::string err;
        ASSERT_TRUE(view_load_file(path("u16.vrn"), &err)) << err;
        ASSERT_EQ(view_doc().objs.size(), 2u);
        EXPECT_EQ(view_doc().objs[0].id, "Caf\xE9 \x80");
        EXPECT_EQ(view_doc().objs[1].id, "??");
        EXPECT_EQ(view_take_load_note(),
                  path("u16.vrn") + "\n2 characters have no form in the Windows-1252 character set and read as \"?\"");
    }
    // Cut off in the middle of a character: refused, and the document open stays.
    write(path("cut.vrn"), std::string("\xFF\xFEj\0_\0(", 7));
    std::string err;
    EXPECT_FALSE(view_load_file(path("cut.vrn"), &err));
    EXPECT_EQ(view_doc().objs.size(), 2u);
}

TEST_F(ViewFiles, DuplicateKeysOfAnOldFileAreRenumberedSoEachCanBeMarkedAndCopied) {
    // 50 objects on three keys, a link on the first of key 1, two shapes on one key.
    std::string text;
    for (int k = 0; k < 50; ++k)
        text += "j_(" + std::to_string(1 + k % 3) + ",\"o" + std::to_string(k) + "\",1," + std::to_string(k * 10) +
                ",0,0,0,161,0,1,0,0,\"\")\n";
    text += "b_(1,2,0,0,0,0,\"\")\ns_(4,3,1,5,2,0,10,10,0)\ns_(4,3,1,5,2,20,30,30,20)\n";
    write(path("dup.vrn"), text);
    std::string err;
    ASSERT_TRUE(view_load_file(path("dup.vrn"), &err)) << err;
    EXPECT_EQ(view_take_load_note(), path("dup.vrn") + "\n48 items shared their keys with others and were given new keys");
    EXPECT_EQ(view_take_load_note(), "");
    const Document& d = view_doc();
    ASSERT_EQ(d.objs.size(), 50u);
    std::set<Key> keys;
    for (const Obj& o : d.objs) keys.insert(o.key);
    EXPECT_EQ(keys.size(), 50u);
    EXPECT_EQ(d.objs[0].key, 1);  // the first of a key keeps it, and its link
    EXPECT_EQ(d.objs[0].id, "o0");
    EXPECT_NE(d.shapes[0].key, d.shapes[1].key);
    EXPECT_FALSE(d.changed);

    marked_obj_ = {d.objs[10].key, d.objs[20].key, d.objs[30].key};
    Document part;
    LoadError le;
    ASSERT_TRUE(Document::from_text(view_clip_text(), part, le));
    EXPECT_EQ(part.objs.size(), 3u);

    ASSERT_TRUE(view_save_file(path("dup.vrn"), &err)) << err;
    ASSERT_TRUE(view_load_file(path("dup.vrn"), &err)) << err;
    EXPECT_EQ(view_doc().objs.size(), 50u);
    EXPECT_EQ(view_take_load_note(), "");
}

TEST_F(ViewFiles, EncryptionTellsWhichWayAndLeavesADocumentAWrongPasswordCannotOpen) {
    const std::string doc = "j_(1,\"Plan\",1,10,20,2,0,161,100,1,0,0,\"\")\r\np_(350,20110)\r\n";
    const uint16_t right = *file_crypt_key("right"), wrong = *file_crypt_key("wrong");
    std::string data = doc;
    EXPECT_EQ(view_crypt_text(data, right, "plan.vrn"), CryptOutcome::encrypted);
    const std::string sealed = data;
    EXPECT_NE(sealed, doc);

    // A wrong password would scramble it twice over: the bytes stay as they are.
    EXPECT_EQ(view_crypt_text(data, wrong, "plan.vrn"), CryptOutcome::refused);
    EXPECT_EQ(data, sealed);
    EXPECT_EQ(view_crypt_text(data, right, "plan.vrn"), CryptOutcome::decrypted);
    EXPECT_EQ(data, doc);

    // Text files are judged by what a plain text holds, whatever their name.
    const std::string notes = "Meeting notes\r\n\tBudget: 1200\r\nCaf\xe9 at ten.\r\n";
    for (const char* name : {"notes.TXT", "notes.rtf", "notes.dat"}) {
        std::string t = notes;
        EXPECT_EQ(view_crypt_text(t, right, name), CryptOutcome::encrypted) << name;
        const std::string scrambled = t;
        EXPECT_EQ(view_crypt_text(t, wrong, name), std::string(name) == "notes.dat" ? CryptOutcome::either : CryptOutcome::refused)
            << name;
        if (std::string(name) != "notes.dat") {
            EXPECT_EQ(t, scrambled) << name;
            EXPECT_EQ(view_crypt_text(t, right, name), CryptOutcome::decrypted) << name;
            EXPECT_EQ(t, notes) << name;
        }
    }
    // Binary files cannot be judged: the routine runs and says so.
    std::string other("GIF89a\0\x01\xff", 9);
    const std::string before = other;
    EXPECT_EQ(view_crypt_text(other, wrong, "photo.gif"), CryptOutcome::either);
    EXPECT_NE(other, before);

    // Opening the sealed file says what it may be instead of naming a parse error.
    write(path("sealed.vrn"), sealed);
    make_current("keep me");
    std::string err;
    EXPECT_FALSE(view_load_file(path("sealed.vrn"), &err));
    EXPECT_NE(err.find("may be encrypted"), std::string::npos) << err;
    EXPECT_NE(err.find("Encrypt/Decrypt File"), std::string::npos) << err;
    EXPECT_EQ(view_doc().objs[0].id, "keep me");
    // Every key leaves its mark: short and long passwords alike.
    for (const char* pw : {"a", "abc", "secret", "a much longer pass phrase"}) {
        std::string t = doc;
        file_crypt(t, *file_crypt_key(pw));
        EXPECT_TRUE(view_text_looks_encrypted(t)) << pw;
    }
    EXPECT_FALSE(view_text_looks_encrypted(doc + "j_(2,\"Caf\xe9\",1,0,0,2,0,161,100,1,0,0,\"\")\r\n"));
}
