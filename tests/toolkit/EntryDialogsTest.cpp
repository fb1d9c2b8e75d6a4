// The entry dialogs driven as an operator would: typing into the real windows
// while they run modally.

#include "toolkit/EntryDialogs.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <climits>
#include <deque>
#include <gtest/gtest.h>

using namespace win;

namespace {

using Step = std::function<void(QWidget* window)>;

// Answers successive entry windows, one step each, and notes what each showed:
// "title|prompt|message|field".
class Operator {
public:
    explicit Operator(std::deque<Step> steps) : steps_(std::move(steps)) { Next(); }
    std::vector<std::string> seen;
    std::vector<int> widths;

private:
    void Next() {
        if (!steps_.empty()) {
            uitest::WhenReady([this] { return Fresh() != nullptr; }, [this] { Answer(Fresh()); });
        }
    }
    QWidget* Fresh() const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w != handled_.data() &&
                (w->findChild<QLineEdit*>() || w->findChild<QComboBox*>())) {
                return w;
            }
        }
        return nullptr;
    }
    void Answer(QWidget* w) {
        handled_ = w;
        const auto labels = w->findChildren<QLabel*>();
        const auto* edit = w->findChild<QLineEdit*>();
        seen.push_back(w->windowTitle().toStdString() + "|" +
                       (labels.size() > 0 ? labels[0]->text().toStdString() : "") + "|" +
                       (labels.size() > 1 ? labels[1]->text().toStdString() : "") + "|" +
                       (edit ? edit->text().toStdString() : ""));
        widths.push_back(w->width());
        const Step step = std::move(steps_.front());
        steps_.pop_front();
        Next();
        step(w);
    }
    std::deque<Step> steps_;
    QPointer<QWidget> handled_;
};

Step Type(const char* text, Qt::Key finish = Qt::Key_Return) {
    return [text, finish](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, finish);
    };
}

Step Press(const char* button) {
    return [button](QWidget* w) {
        for (auto* b : w->findChildren<QPushButton*>()) {
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
            }
        }
    };
}

class EntryDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
};

TEST_F(EntryDialogsTest, EnterNumberAsksAgainUntilTheEntryIsValid) {
    Operator op({Type("5"), Type("x"), Type("0x3")});
    int value = 2;
    // The bounds may come in either order.
    EXPECT_TRUE(EnterNumber(value, 4, 1, "Enter Number of Devices to Launch", "999"));
    EXPECT_EQ(value, 3);
    const std::string asked = "Input Range 4 to 1|Enter Number of Devices to Launch|";
    EXPECT_EQ(op.seen, std::vector({asked + "|2", asked + "Entry is Out of Range|5",
                                    asked + "Please Enter a Valid Integer|x"}));
}

TEST_F(EntryDialogsTest, EnterNumberExpandsUnitLettersAndReadsEmptyAsZero) {
    Operator op({Type("1k"), Type(""), Press("Cancel")});
    int value = 7;
    // The expanded entry is shown again whole, longer than the field takes typed.
    EXPECT_FALSE(EnterNumber(value, 1, 999, "Count", "99"));
    EXPECT_EQ(value, 7); // cancelled: the caller keeps its value
    const std::string asked = "Input Range 1 to 999|Count|";
    EXPECT_EQ(op.seen, std::vector({asked + "|7", asked + "Entry is Out of Range|1000",
                                    asked + "Entry is Out of Range|"}));
}

TEST_F(EntryDialogsTest, TypingStopsAtTheEntrysLimit) {
    std::string typed;
    const Step typeTooMuch = [&](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, "1234567890ABCDEFGH");
        typed = edit->text().toStdString();
        QTest::keyClick(edit, Qt::Key_Escape);
    };
    Operator op({typeTooMuch, typeTooMuch});
    int value = 1;
    EXPECT_FALSE(EnterNumber(value, 1, 4, "Count", "99")); // as long as the template
    EXPECT_EQ(typed, "12");
    std::string note;
    EXPECT_FALSE(EnterText("User Notes", "Note:", "", note, 250, 1, nullptr)); // 16
    EXPECT_EQ(typed, "1234567890ABCDEF");
}

TEST_F(EntryDialogsTest, UnitLettersAndNumbersReadAsTheEntryRulesSay) {
    const std::pair<const char*, const char*> expansions[] = {
        {"2k", "2000"}, {"3M", "3000000"},           {"1g", "1000000000"},
        {"kK", "000K"}, {"1Gm", "1000000000000000"}, {"12", "12"}};
    for (const auto& [in, out] : expansions) {
        EXPECT_EQ(ExpandUnitLetters(in), out) << in;
    }
    const struct {
        const char* text;
        bool ok;
        int number;
    } cases[] = {{"0x1F", true, 31},
                 {" 12", true, 12},
                 {"-3", true, -3},
                 {"", true, 0},
                 {"12a", false, -1},
                 {"x", false, -1},
                 {"0x", false, -1},
                 {"99999999999", true, INT_MAX},
                 {"-99999999999", true, INT_MIN}};
    for (const auto& c : cases) {
        int n = -1;
        EXPECT_EQ(ParseEntryNumber(c.text, n), c.ok) << c.text;
        EXPECT_TRUE(!c.ok || n == c.number) << c.text;
    }
}

TEST_F(EntryDialogsTest, EnterTextReturnsTheTextOnOkOnly) {
    Operator op({Type("Rack 2, slot 3"), Type("ignored", Qt::Key_Escape)});
    std::string notes = "before";
    for (const bool ok : {true, false}) {
        EXPECT_EQ(EnterText("User Notes", "Enter the note:", "old", notes, 250, 1, nullptr), ok);
        EXPECT_EQ(notes, "Rack 2, slot 3");
    }
    EXPECT_EQ(op.seen[0], "User Notes|Enter the note:||old");
    EXPECT_EQ(op.widths[0], 250);
}

TEST_F(EntryDialogsTest, ChooseFromListByMouseKeysAndButtons) {
    const auto key = [](Qt::Key k) {
        return [k](QWidget* w) { QTest::keyClick(w->findChild<QComboBox*>(), k); };
    };
    Operator op({[](QWidget* w) {
                     // A click on a choice in the open list answers at once.
                     auto* combo = w->findChild<QComboBox*>();
                     combo->showPopup();
                     QAbstractItemView* view = combo->view();
                     uitest::WaitUntil([&] { return view->isVisible(); });
                     const QRect item = view->visualRect(view->model()->index(2, 0));
                     QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                       QPoint(view->viewport()->width() / 2, item.center().y()));
                 },
                 key(Qt::Key_Return), key(Qt::Key_Escape), Press("OK")});
    int selected = -1;
    EXPECT_TRUE(ChooseFromList(0, {"LL", "UL", "C1", "C2"}, "Band Selection", "Select Band:", 4,
                               selected, nullptr));
    EXPECT_EQ(selected, 2);
    EXPECT_EQ(op.seen[0], "Band Selection|Select Band:||");
    EXPECT_TRUE(ChooseFromList(1, {"LL", "UL"}, "Band", "Select Band:", 2, selected, nullptr));
    EXPECT_EQ(selected, 1);
    selected = -1;
    EXPECT_FALSE(ChooseFromList(1, {"LL", "UL"}, "Band", "Select Band:", 2, selected, nullptr));
    EXPECT_EQ(selected, -1);
    // Nothing selected and OK: no index to give.
    EXPECT_FALSE(ChooseFromList(-1, {"LL", "UL"}, "Band", "Select Band:", 2, selected, nullptr));
}

TEST_F(EntryDialogsTest, FileChoicesGoThroughTheCommonDialogs) {
    auto scripted = std::make_unique<ScriptedCommonDialogs>();
    ScriptedCommonDialogs* dialogs = scripted.get();
    auto previous = CommonDialogs::Install(std::move(scripted));
    dialogs->AnswerFile("/work/setups/00A1-1012_Setup/a.TM80");
    std::string path;
    EXPECT_TRUE(ChooseFileToOpen(path, "/work/setups", "TM80", "Recall Setup", "a.TM80",
                                 "Setup Files (*.TM80)|*.TM80||"));
    EXPECT_EQ(path, "/work/setups/00A1-1012_Setup/a.TM80");
    EXPECT_FALSE(ChooseFileToSave(path, "/work/setups", "TM80", "Save Setup", "", ""));
    ASSERT_EQ(dialogs->History().size(), 2u);
    EXPECT_EQ(dialogs->History()[0].file.initialFolder, "/work/setups");
    EXPECT_TRUE(dialogs->History()[1].file.save);
    CommonDialogs::Install(std::move(previous));
}

} // namespace
