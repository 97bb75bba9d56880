// File > Send through Simple MAPI: mapi32 hands the call to the provider registered under
// HKLM\Software\Clients\Mail; the tests register one of their own that records its arguments.
#include <windows.h>

#include "app/file_win.h"
#include "document/view.h"
#include "print_unix.h"
#include "resources/ids.h"
#include "services/mail_win.h"
#include "win_test_util.h"

using namespace wt;

namespace {

const char kMailKey[] = "Software\\Clients\\Mail";
const char kProvider[] = "VornTestMail";

class Mail : public MainWindowTest {
protected:
    Mail() : MainWindowTest("vorn-mail-test") {}

    void SetUp() override {
        MainWindowTest::SetUp();
        log_ = path("mapi.log");
        SetEnvironmentVariableA("VORN_MAPI_LOG", log_.c_str());
        SetEnvironmentVariableA("VORN_MAPI_RESULT", nullptr);
        RegValue v = reg_get(HKEY_LOCAL_MACHINE, kMailKey, "", "");
        had_default_ = v.found;
        old_default_ = v.text;
    }
    void TearDown() override {
        unregister_provider();
        SetEnvironmentVariableA("VORN_MAPI_LOG", nullptr);
        SetEnvironmentVariableA("VORN_MAPI_RESULT", nullptr);
        MainWindowTest::TearDown();
    }
    void register_provider() {
        char dir[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, dir, MAX_PATH);
        std::string dll = std::string(dir).substr(0, std::string(dir).rfind('\\') + 1) + "vorn_mapi_test.dll";
        ASSERT_NE(GetFileAttributesA(dll.c_str()), INVALID_FILE_ATTRIBUTES) << dll;
        ASSERT_TRUE(reg_set_string(HKEY_LOCAL_MACHINE, std::string(kMailKey) + "\\" + kProvider, "DLLPath", dll));
        ASSERT_TRUE(reg_set_string(HKEY_LOCAL_MACHINE, kMailKey, "", kProvider));
    }
    void unregister_provider() {
        reg_delete_tree(HKEY_LOCAL_MACHINE, std::string(kMailKey) + "\\" + kProvider);
        if (had_default_) {
            reg_set_string(HKEY_LOCAL_MACHINE, kMailKey, "", old_default_);
        } else {
            HKEY k;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMailKey, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
                RegDeleteValueA(k, nullptr);
                RegCloseKey(k);
            }
        }
    }
    // A saved document with `pictures` attached picture files beside it.
    std::string document(int pictures) {
        for (int k = 1; k <= pictures; ++k) {
            std::string name = "Pic" + std::to_string(k) + ".bmp";
            std::ofstream(path(name.c_str())) << "BM";
            Obj o = view_obj_new("pic" + std::to_string(k), 100 * k, 0, 1);
            Key key = *view_obj_put(o);
            view_doc().bins.push_back({key, 2, name, 0, 0, {}});
        }
        std::string doc = path("Report.vrn");
        EXPECT_TRUE(file_save_document(doc));
        EXPECT_EQ(file_open_document(doc), 1);
        return file_current_name();
    }
    void send() {
        SendMessageA(win_, WM_COMMAND, CMD_SEND, 0);
        pump(50);
    }
    std::string log() const { return read_text(log_); }

    std::string log_, old_default_;
    bool had_default_ = false;
};

TEST_F(Mail, ProviderGetsTheDocumentAndItsAttachedFiles) {
    register_provider();
    const std::string doc = document(2);
    send();
    const std::string dir = doc.substr(0, doc.rfind('\\') + 1);
    EXPECT_EQ(log(), "MAPISendDocuments\nparent=window\ndelimiter=;\npaths=" + doc + ";" + dir + "Pic1.bmp;" + dir +
                         "Pic2.bmp\nnames=report.vrn;Pic1.bmp;Pic2.bmp\n");
    EXPECT_TRUE(Boxes::notes.empty());
}

TEST_F(Mail, DocumentWithoutAttachmentsSendsOnePathWithoutDelimiters) {
    register_provider();
    const std::string doc = document(0);
    send();
    EXPECT_EQ(log(), "MAPISendDocuments\nparent=window\ndelimiter=;\npaths=" + doc + "\nnames=report.vrn\n");
    // Two sends in a row: the library is loaded and freed each time, and both reach the provider.
    send();
    EXPECT_EQ(log().size(), 2 * (std::string("MAPISendDocuments\nparent=window\ndelimiter=;\npaths=") + doc +
                                 "\nnames=report.vrn\n").size());
    EXPECT_EQ(GetModuleHandleA("mapi32.dll"), nullptr);
}

TEST_F(Mail, FailuresSayCannotStartEmailerButCancelIsQuiet) {
    register_provider();
    document(0);
    struct Case {
        const char* result;
        size_t notes;
    } cases[] = {{"0", 0}, {"1", 0}, {"2", 1}, {"26", 1}};
    for (const auto& c : cases) {
        SetEnvironmentVariableA("VORN_MAPI_RESULT", c.result);
        Boxes::notes.clear();
        send();
        ASSERT_EQ(Boxes::notes.size(), c.notes) << c.result;
        if (c.notes) {
            EXPECT_EQ(Boxes::notes[0], "Cannot start emailer") << c.result;
        }
    }
}

TEST_F(Mail, ChangedDocumentIsOfferedForSavingFirst) {
    register_provider();
    document(0);
    Obj o = view_obj_new("late", 0, 300, 1);
    view_obj_put(o);
    ASSERT_TRUE(file_is_changed());
    Boxes::answer = 1;  // yes, save
    send();
    ASSERT_EQ(Boxes::questions.size(), 1u);
    EXPECT_FALSE(file_is_changed());
    EXPECT_NE(read_text(file_current_name()).find("late"), std::string::npos) << "the mailed file holds the edit";
    EXPECT_FALSE(log().empty());
}

// Last: Wine's mapi32 stays loaded after a call that found no provider, so a provider
// registered later is not seen again in this process.
TEST_F(Mail, NoMailClientSaysCannotStartEmailer) {
    unregister_provider();
    document(0);
    send();
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "Cannot start emailer");
    EXPECT_TRUE(log().empty());
}

}  // namespace
