// The common dialogs interface: scripted answers, what was asked, filters.

#include "platform/ui/CWnd.h"
#include "platform/ui/QtCommonDialogs.h"
#include "platform/ui/ScriptedCommonDialogs.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <gtest/gtest.h>

using namespace win;

namespace {

class CommonDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::EnsureApplication();
        auto scripted = std::make_unique<ScriptedCommonDialogs>();
        dialogs = scripted.get();
        previous = CommonDialogs::Install(std::move(scripted));
    }
    void TearDown() override { CommonDialogs::Install(std::move(previous)); }
    ScriptedCommonDialogs* dialogs = nullptr;
    std::unique_ptr<CommonDialogs> previous;
};

TEST_F(CommonDialogsTest, MessageBoxesAreRecordedAndAnswered) {
    CWnd owner;
    EXPECT_EQ(owner.MessageBox("Connection could not be made with 127.0.0.9", "Add Device", MB_OK),
              IDOK);
    dialogs->AnswerMessageBox(IDYES);
    EXPECT_EQ(AfxMessageBox("Device 3 not connected.", MB_YESNO | MB_ICONWARNING), IDYES);
    EXPECT_EQ(AfxMessageBox("Again?", MB_YESNO), IDNO); // unanswered: the safe answer
    ASSERT_EQ(dialogs->History().size(), 3u);
    const auto& first = dialogs->History()[0];
    EXPECT_EQ(first.kind, ScriptedCommonDialogs::Kind::MessageBox);
    EXPECT_EQ(first.message.text, "Connection could not be made with 127.0.0.9");
    EXPECT_EQ(first.message.caption, "Add Device");
    EXPECT_EQ(first.message.owner, &owner);
    EXPECT_EQ(dialogs->History()[1].message.type, MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(dialogs->History()[1].message.caption, "");
}

TEST_F(CommonDialogsTest, FileChoicesFollowTheScript) {
    FileDialogRequest open;
    open.title = "Recall Setup";
    open.filter = "Setup Files (*.TM80)|*.TM80||";
    std::string path = "unchanged";
    dialogs->CancelFile();
    dialogs->AnswerFile("/tmp/a.TM80");
    EXPECT_FALSE(CommonDialogs::Current().ChooseFile(open, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_TRUE(CommonDialogs::Current().ChooseFile(open, path));
    EXPECT_EQ(path, "/tmp/a.TM80");
    FileDialogRequest save = open;
    save.save = true;
    EXPECT_FALSE(CommonDialogs::Current().ChooseFile(save, path)); // no answer left
    ASSERT_EQ(dialogs->History().size(), 3u);
    EXPECT_EQ(dialogs->History()[2].kind, ScriptedCommonDialogs::Kind::SaveFile);
    EXPECT_EQ(dialogs->History()[2].file.title, "Recall Setup");
}

TEST(QtFileFilterTest, WindowsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("Setup Files (*.TM80)|*.TM80|All Files (*.*)|*.*||"),
              "Setup Files (*.TM80);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.jpg;*.png|"), "Pictures (*.jpg *.png)");
    EXPECT_EQ(QtFileFilter(""), "");
}

} // namespace
