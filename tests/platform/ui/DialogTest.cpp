// Dialogs built from templates: places in dialog units, controls made by kind
// or bound to members, the commands that end a modal dialog, modality, and the
// Qt message box and file dialogs as the system shows them.

#include "platform/ui/CButton.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/QtCommonDialogs.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/TabOrder.h"
#include "testsupport/UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace win;
using uitest::WhenReady;

namespace {

DialogTemplate Sample(const char* caption = "Sample", bool visible = false) {
    DialogTemplate t{.caption = caption,
                     .cx = 200,
                     .cy = 100,
                     .items = {LTEXT("Name:", IDC_STATIC, 7, 9, 30, 8),
                               EDITTEXT(1001, 40, 7, 80, 12),
                               Hidden(LTEXT("hidden", 1002, 7, 30, 40, 8)),
                               PUSHBUTTON("Apply", 1003, 7, 80, 50, 14),
                               DEFPUSHBUTTON("OK", IDOK, 90, 80, 50, 14),
                               PUSHBUTTON("Cancel", IDCANCEL, 143, 80, 50, 14)}};
    t.style |= visible ? WS_VISIBLE : 0;
    return t;
}

// Binds its edit to a member and records the commands it is sent.
class Dlg : public CDialogEx {
public:
    explicit Dlg(DialogTemplate t = Sample(), CWnd* parent = nullptr)
        : CDialogEx(std::move(t), parent) {}
    CEdit name;
    std::vector<int> commands;
    std::function<void()> onInit = [] {};

    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1001, name); }
    bool OnInitDialog() override {
        CDialogEx::OnInitDialog();
        onInit();
        return true;
    }
    bool OnCommand(int id, int code) override {
        commands.push_back(id);
        return CDialogEx::OnCommand(id, code);
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
    void TearDown() override { AfxSetMainWnd(nullptr); }
};

TEST_F(DialogTest, DialogUnitsFollowTheBaseUnitsAndTabsTheReadingOrder) {
    const DialogUnits du(7, 16);
    EXPECT_EQ(du.ToPixels(0, 0, 4, 8), CRect(0, 0, 7, 16));
    EXPECT_EQ(du.ToPixels(7, 9, 30, 8), CRect(12, 18, 12 + 53, 18 + 16)); // 52.5 -> 53
    EXPECT_EQ(du.ToPixels(2, 1, 1, 3), CRect(4, 2, 4 + 2, 2 + 6)); // halves round away from 0
    const DialogUnits font = DialogUnits::ForFont(FontFromPoints("Segoe UI", 10));
    EXPECT_GT(font.BaseX(), 3);
    EXPECT_GT(font.BaseY(), 10);
    EXPECT_EQ(FontFromPoints("Segoe UI", 36).lfHeight, -48); // 96 pixels an inch
    LOGFONT cell = FontFromPoints("Segoe UI", 10);
    cell.lfHeight = 40; // a cell height: the characters are smaller
    EXPECT_GT(ToQFont(cell).pixelSize(), 26);
    EXPECT_LT(ToQFont(cell).pixelSize(), 40);
    CRect inner(0, 0, 40, 20);
    inner.DeflateRect(4, 3);
    EXPECT_EQ(inner, CRect(4, 3, 36, 17));

    // A row's controls need not share a top: a button a unit higher than
    // the check box beside it is still in its row.
    EXPECT_EQ(
        ReadingOrder({CRect(596, 354, 686, 374), CRect(382, 356, 560, 372), CRect(218, 76, 352, 92),
                      CRect(72, 76, 206, 92), CRect(72, 200, 206, 216)}),
        (std::vector<int>{3, 2, 4, 1, 0}));
    EXPECT_EQ(ReadingOrder({}), std::vector<int>{});
}

// The menu's commands are queued like the platform's.
TEST_F(DialogTest, TemplateMakesEveryControlWithIdTextPlaceAndStyleAndItsMenu) {
    CMenu menu;
    menu.LoadMenu({{"File", 0, {{"Save", 32780, {}}, {"", 0, {}, true}, {"Recall", 32775, {}}}},
                   {"Tools", 0, {{"Colour", 32771, {}}}}});
    Dlg dlg;
    dlg.SetMenu(&menu);
    dlg.onInit = [&] {
        const DialogUnits& du = dlg.Units();
        CRect r;
        dlg.GetClientRect(&r);
        EXPECT_EQ(r, CRect(0, 0, du.X(200), du.Y(100)));
        // The member is the control of id 1001; the others are made by kind.
        EXPECT_EQ(dlg.GetDlgItem(1001), &dlg.name);
        auto* apply = dynamic_cast<CButton*>(dlg.GetDlgItem(1003));
        ASSERT_NE(apply, nullptr);
        EXPECT_EQ(apply->GetWindowText(), "Apply");
        EXPECT_EQ(uitest::RectIn(dlg, *apply), du.ToPixels(7, 80, 50, 14));
        EXPECT_NE(dynamic_cast<CStatic*>(dlg.GetDlgItem(1002)), nullptr);
        EXPECT_FALSE(dlg.GetDlgItem(1002)->GetStyle() & WS_VISIBLE);
        EXPECT_TRUE(dlg.GetDlgItem(1003)->GetStyle() & WS_VISIBLE);
        EXPECT_EQ(dlg.GetDlgItem(4711), nullptr);

        auto* bar = dlg.GetNative()->window()->findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->actions().size(), 2);
        QMenu* file = bar->actions()[0]->menu();
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->actions().size(), 3);
        file->actions()[0]->trigger();
        EXPECT_TRUE(dlg.commands.empty());
        // Esc on the idle menu bar, nothing focused, still closes the window.
        WhenReady([&] { return !dlg.commands.empty(); },
                  [&dlg, bar] {
                      dlg.name.GetNative()->clearFocus();
                      QTest::keyClick(bar, Qt::Key_Escape);
                      if (dlg.commands.back() != IDCANCEL) {
                          dlg.EndDialog(IDOK); // not closed: fails without waiting
                      }
                  });
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.commands.front(), 32780);
}

// One dialog run again and again: each run builds its window afresh.
TEST_F(DialogTest, ModalResultFollowsTheClosingCommand) {
    const auto key = [](Qt::Key k) {
        return [k](Dlg& d) { QTest::keyClick(d.name.GetNative(), k); };
    };
    const struct {
        const char* what;
        std::function<void(Dlg&)> act;
        INT_PTR result;
        int lastCommand;
    } cases[] = {
        {"Enter in the edit", key(Qt::Key_Return), IDOK, IDOK},
        {"Escape", key(Qt::Key_Escape), IDCANCEL, IDCANCEL},
        {"close box", [](Dlg& d) { d.GetNative()->window()->close(); }, IDCANCEL, IDCANCEL},
        {"OK clicked",
         [](Dlg& d) { QTest::mouseClick(d.GetDlgItem(IDOK)->GetNative(), Qt::LeftButton); }, IDOK,
         IDOK},
        {"Enter on a focused push button",
         [](Dlg& d) {
             d.GetDlgItem(1003)->SetFocus();
             QTest::keyClick(d.GetDlgItem(1003)->GetNative(), Qt::Key_Return);
             d.EndDialog(7);
         },
         7, 1003},
    };
    Dlg dlg;
    for (const auto& c : cases) {
        // Active, so that the focus is where the window put it.
        WhenReady([&] { return dlg.IsWindowVisible() && dlg.GetNative()->isActiveWindow(); },
                  [&] { c.act(dlg); });
        EXPECT_EQ(dlg.DoModal(), c.result) << c.what;
        ASSERT_FALSE(dlg.commands.empty()) << c.what;
        EXPECT_EQ(dlg.commands.back(), c.lastCommand) << c.what;
        EXPECT_FALSE(dlg.IsWindow()) << c.what; // destroyed at the end
    }
}

// Runs `act` on the window titled `title`, of class T, once a modal loop shows it.
template <class T> void WhenShown(const std::string& title, std::function<void(T*)> act) {
    WhenReady([title] { return uitest::VisibleWindowTitled(title) != nullptr; },
              [title, act] {
                  auto* window = qobject_cast<T*>(uitest::VisibleWindowTitled(title));
                  ASSERT_NE(window, nullptr);
                  act(window);
              });
}

// A modal dialog disables only its owner: a modeless top-level window (a
// unit's device window) stays usable while the main window runs modally, also
// under the main window's own modal dialog, and a dialog the device window
// owns leaves the main window alone. Cancel hides a modeless dialog.
TEST_F(DialogTest, ModalDialogsDisableOnlyTheirOwner) {
    Dlg main(Sample("Main"));
    AfxSetMainWnd(&main);
    Dlg device(Sample("Device 1", true));
    ASSERT_TRUE(device.Create(nullptr));
    // Runs `dlg` modally; `check` looks at the windows while it shows.
    const auto runModal = [](Dlg& dlg, const std::function<void()>& check) {
        WhenReady([&] { return dlg.IsWindowVisible(); },
                  [&] {
                      check();
                      dlg.EndDialog(IDOK);
                  });
        EXPECT_EQ(dlg.DoModal(), IDOK) << dlg.GetWindowText();
    };
    runModal(main, [&] {
        EXPECT_TRUE(device.IsWindowEnabled());
        QTest::mouseClick(device.GetDlgItem(1003)->GetNative(), Qt::LeftButton);
        EXPECT_EQ(device.commands, std::vector<int>{1003});
        Dlg nested(Sample("Nested")); // owner: the main window
        const auto active = [&] { return nested.GetNative()->window()->isActiveWindow(); };
        runModal(nested, [&] {
            EXPECT_FALSE(main.IsWindowEnabled());
            EXPECT_TRUE(device.IsWindowEnabled());
            QTest::mouseClick(device.GetDlgItem(1003)->GetNative(), Qt::LeftButton);
            EXPECT_EQ(device.commands.size(), 2u);
            // A box for the main window (no owner given) belongs to the dialog
            // that covers it, and gives it the focus back.
            ASSERT_TRUE(uitest::WaitUntil(active));
            WhenShown<QMessageBox>("Communication to TM80", [&](QMessageBox* box) {
                ASSERT_NE(box->parentWidget(), nullptr);
                EXPECT_EQ(box->parentWidget()->window(), nested.GetNative()->window());
                box->button(QMessageBox::Ok)->click();
            });
            ShowMessageBox(nullptr, "TCP connection to Device 1 (127.0.0.2) was lost.",
                           "Communication to TM80", MB_OK);
            EXPECT_TRUE(uitest::WaitUntil(active, 3000));
        });
        EXPECT_TRUE(main.IsWindowEnabled());
        Dlg entry(Sample("Entry"), &device);
        runModal(entry, [&] {
            EXPECT_FALSE(device.IsWindowEnabled());
            EXPECT_TRUE(main.IsWindowEnabled());
        });
        EXPECT_TRUE(device.IsWindowEnabled());
    });
    EXPECT_TRUE(device.IsWindowVisible()); // the modeless window outlives the modal run
    QTest::keyClick(device.GetDlgItem(1003)->GetNative(), Qt::Key_Escape);
    EXPECT_FALSE(device.IsWindowVisible());
    EXPECT_TRUE(device.IsWindow());
    device.ShowWindow(SW_SHOW);
    EXPECT_TRUE(device.IsWindowVisible());
    EXPECT_NE(device.GetDlgItem(1003), nullptr);
}

// A message box is wide enough for its caption, and its text is no markup. Paths cross into and
// out of the file dialogs as the file system's bytes (UTF-8). Saving over a file asks nothing; a
// path whose folder does not exist is refused with a box over the save dialog, which stays open;
// the open dialog leaves a missing path to its own check.
TEST_F(DialogTest, MessageBoxFitsItsCaptionAndFileDialogsSaveOnlyIntoAFolderThatExists) {
    QtCommonDialogs dialogs;
    const MessageBoxRequest message{.text = "<b>TCP</b>", .caption = "Communication to TM80"};
    WhenShown<QMessageBox>(message.caption, [&](QMessageBox* box) {
        const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
        // The caption and the title bar's buttons fit.
        EXPECT_GE(box->width(), title.horizontalAdvance(box->windowTitle()) + 100);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->accept(); // no button: the only answer
    });
    EXPECT_EQ(dialogs.MessageBox(message), IDOK);

    QTemporaryDir root;
    const std::string folder = root.path().toStdString() + "/j\xC3\xB6rg";
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    ASSERT_TRUE(std::ofstream(folder + "/old.TM80"));
    for (const bool save : {false, true}) {
        FileDialogRequest request;
        request.save = save;
        request.title = save ? "TM80 Setup File" : "TM80 M1 Setup File";
        request.initialFolder = folder;
        request.filter = "File Type (*.TM80)|*.TM80||";
        request.defaultExtension = "TM80";
        const std::string chosen = save ? "new.TM80" : "old.TM80";
        std::string refusal;
        WhenShown<QFileDialog>(request.title, [&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->directory().absolutePath().toUtf8().toStdString(), folder);
            EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            WhenReady([&] { return dialog->findChild<QMessageBox*>() != nullptr; },
                      [&] {
                          auto* box = dialog->findChild<QMessageBox*>();
                          refusal = box->text().toStdString();
                          box->accept();
                      });
            dialog->selectFile(QString::fromStdString(folder + "/missing/new.TM80"));
            static_cast<QDialog*>(dialog)->accept(); // as the Save or Open button does
            EXPECT_TRUE(dialog->isVisible());
            dialog->selectFile(QString::fromStdString(chosen));
            static_cast<QDialog*>(dialog)->accept();
        });
        std::string path;
        EXPECT_TRUE(dialogs.ChooseFile(request, path)) << request.title;
        EXPECT_EQ(path, folder + "/" + chosen);
        EXPECT_EQ(refusal.find("The folder " + folder + "/missing does not exist.") == 0, save);
    }
}

TEST(QtFileFilterTest, WindowsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("Setup Files (*.TM80)|*.TM80|All Files (*.*)|*.*||"),
              "Setup Files (*.TM80);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.jpg;*.png|"), "Pictures (*.jpg *.png)");
    EXPECT_EQ(QtFileFilter(""), "");
}

} // namespace
