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

// What one showing of an entry window looked like.
struct Seen {
    std::string title, prompt, message, field;
    int windowWidth = 0;
};

// Answers successive entry windows, one step per window.
class Operator {
public:
    using Step = std::function<void(QWidget* window)>;
    explicit Operator(std::deque<Step> steps) : steps_(std::move(steps)) { Next(); }
    std::vector<Seen> seen;

private:
    void Next() {
        if (steps_.empty()) {
            return;
        }
        uitest::WhenReady([this] { return Fresh() != nullptr; },
                          [this] {
                              QWidget* w = Fresh();
                              handled_ = w;
                              Record(w);
                              Step step = std::move(steps_.front());
                              steps_.pop_front();
                              Next();
                              step(w);
                          });
    }
    QWidget* Fresh() const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && (handled_.isNull() || w != handled_.data()) &&
                (w->findChild<QLineEdit*>() || w->findChild<QComboBox*>())) {
                return w;
            }
        }
        return nullptr;
    }
    void Record(QWidget* w) {
        Seen s;
        s.title = w->windowTitle().toStdString();
        const auto labels = w->findChildren<QLabel*>();
        if (!labels.empty()) {
            s.prompt = labels[0]->text().toStdString();
        }
        if (labels.size() > 1) {
            s.message = labels[1]->text().toStdString();
        }
        if (auto* edit = w->findChild<QLineEdit*>()) {
            s.field = edit->text().toStdString();
        }
        s.windowWidth = w->width();
        seen.push_back(s);
    }
    std::deque<Step> steps_;
    QPointer<QWidget> handled_;
};

Operator::Step Type(const char* text, Qt::Key finish = Qt::Key_Return) {
    return [text, finish](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, finish);
    };
}

Operator::Step Press(const char* button) {
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
    ASSERT_EQ(op.seen.size(), 3u);
    EXPECT_EQ(op.seen[0].title, "Input Range 4 to 1");
    EXPECT_EQ(op.seen[0].prompt, "Enter Number of Devices to Launch");
    EXPECT_EQ(op.seen[0].field, "2");
    EXPECT_EQ(op.seen[0].message, "");
    EXPECT_EQ(op.seen[1].message, "Entry is Out of Range");
    EXPECT_EQ(op.seen[1].field, "5");
    EXPECT_EQ(op.seen[2].message, "Please Enter a Valid Integer");
    EXPECT_EQ(op.seen[2].field, "x");
}

TEST_F(EntryDialogsTest, EnterNumberExpandsUnitLettersAndReadsEmptyAsZero) {
    Operator op({Type("1k"), Type(""), Press("Cancel")});
    int value = 7;
    // The expanded entry is shown again whole, longer than the field takes typed.
    EXPECT_FALSE(EnterNumber(value, 1, 999, "Count", "99"));
    EXPECT_EQ(value, 7); // cancelled: the caller keeps its value
    ASSERT_EQ(op.seen.size(), 3u);
    EXPECT_EQ(op.seen[1].field, "1000");
    EXPECT_EQ(op.seen[1].message, "Entry is Out of Range");
    EXPECT_EQ(op.seen[2].field, "");
    EXPECT_EQ(op.seen[2].message, "Entry is Out of Range");
}

TEST_F(EntryDialogsTest, TypingStopsAtTheEntrysLimit) {
    std::string typed;
    Operator::Step typeTooMuch = [&](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, "1234567890ABCDEFGH");
        typed = edit->text().toStdString();
        QTest::keyClick(edit, Qt::Key_Escape);
    };
    {
        Operator op({typeTooMuch});
        int value = 1;
        EXPECT_FALSE(EnterNumber(value, 1, 4, "Count", "99")); // as long as the template
        EXPECT_EQ(typed, "12");
    }
    {
        Operator op({typeTooMuch});
        std::string note;
        EXPECT_FALSE(EnterText("User Notes", "Note:", "", note, 250, 1, nullptr)); // 16
        EXPECT_EQ(typed, "1234567890ABCDEF");
    }
}

TEST_F(EntryDialogsTest, UnitLettersAndNumbersReadAsTheEntryRulesSay) {
    const std::pair<const char*, const char*> expansions[] = {
        {"2k", "2000"}, {"3M", "3000000"},           {"1g", "1000000000"},
        {"kK", "000K"}, {"1Gm", "1000000000000000"}, {"12", "12"}};
    for (const auto& [in, out] : expansions) {
        EXPECT_EQ(ExpandUnitLetters(in), out) << in;
    }
    struct Case {
        const char* text;
        bool ok;
        int number;
    } cases[] = {{"0x1F", true, 31},
                 {" 12", true, 12},
                 {"-3", true, -3},
                 {"", true, 0},
                 {"12a", false, 0},
                 {"x", false, 0},
                 {"0x", false, 0},
                 {"99999999999", true, INT_MAX},
                 {"-99999999999", true, INT_MIN}};
    for (const Case& c : cases) {
        int n = -1;
        EXPECT_EQ(ParseEntryNumber(c.text, n), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(n, c.number) << c.text;
        }
    }
}

TEST_F(EntryDialogsTest, EnterTextReturnsTheTextOnOkOnly) {
    Operator op({Type("Rack 2, slot 3"), Type("ignored", Qt::Key_Escape)});
    std::string notes = "before";
    EXPECT_TRUE(
        EnterText("User Notes", "Enter the note for this unit:", "old", notes, 250, 1, nullptr));
    EXPECT_EQ(notes, "Rack 2, slot 3");
    EXPECT_FALSE(
        EnterText("User Notes", "Enter the note for this unit:", "old", notes, 250, 1, nullptr));
    EXPECT_EQ(notes, "Rack 2, slot 3");
    ASSERT_EQ(op.seen.size(), 2u);
    EXPECT_EQ(op.seen[0].field, "old");
    EXPECT_EQ(op.seen[0].title, "User Notes");
    EXPECT_EQ(op.seen[0].windowWidth, 250);
}

TEST_F(EntryDialogsTest, ChooseFromListReturnsAtOnceOnAChoiceInTheList) {
    Operator op({[](QWidget* w) {
        auto* combo = w->findChild<QComboBox*>();
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        uitest::WaitUntil([&] { return view->isVisible(); });
        const QRect item = view->visualRect(view->model()->index(2, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(view->viewport()->width() / 2, item.center().y()));
    }});
    int selected = -1;
    EXPECT_TRUE(ChooseFromList(0, {"LL", "UL", "C1", "C2"}, "Band Selection", "Select Band:", 4,
                               selected, nullptr));
    EXPECT_EQ(selected, 2);
    ASSERT_EQ(op.seen.size(), 1u);
    EXPECT_EQ(op.seen[0].title, "Band Selection");
    EXPECT_EQ(op.seen[0].prompt, "Select Band:");
}

TEST_F(EntryDialogsTest, ChooseFromListKeysAndButtons) {
    auto key = [](Qt::Key k) {
        return [k](QWidget* w) { QTest::keyClick(w->findChild<QComboBox*>(), k); };
    };
    Operator op({key(Qt::Key_Return), key(Qt::Key_Escape), Press("OK")});
    int selected = -1;
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
