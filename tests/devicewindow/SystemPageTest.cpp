// The system page against simulated units: identity, bands and their lights,
// the monitoring layout, dates, note editing and Hard Copy.
#include "devicewindow/Info.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"
#include "tests/infra/TempFolder.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <filesystem>

namespace {

using namespace dwtest;
using win::COLORREF;
using win::RGB;

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

class SystemPageTest : public On<78> {
protected:
    // The system page of a new unit, its window showing the Info tab; the
    // test's refreshes are the only ones.
    SystemDlg& Open(sim::UnitConfig config) {
        unit = &StartUnit(config);
        const int index = AddUnit(*unit);
        ShowAt(index, DefaultDlg::kSystemPage);
        Sys(index).KillTimer(SystemDlg::kStatusTimer);
        WaitIdle(Slot(index));
        return Sys(index);
    }
    // Clicks the note with the next "User Notes" entry answered with `text`
    // (Escape when null).
    static void EditNote(SystemDlg& page, const char* text) {
        uitest::WhenReady(
            [] { return uitest::VisibleWindowTitled("User Notes") != nullptr; },
            [text] {
                auto* edit = uitest::VisibleWindowTitled("User Notes")->findChild<QLineEdit*>();
                edit->clear();
                QTest::keyClicks(edit, text != nullptr ? text : "");
                QTest::keyClick(edit, text ? Qt::Key_Return : Qt::Key_Escape);
            });
        Click(page.DeviceId());
    }
    sim::SimUnit* unit = nullptr;
};

TEST_F(SystemPageTest, MonitoringLayoutBothWays) {
    for (const bool monitoring : {true, false}) {
        SCOPED_TRACE(monitoring);
        SystemDlg& page = Open({.note = "M", .monitoring = monitoring});
        const int index = page.GetUnitIndex();
        auto left = [&page](const win::CWnd& w) { return RectIn(page, w).left; };
        const int column = left(*page.GetDlgItem(SystemDlg::kIdLightColumn));
        for (int m = SystemDlg::Voltage; m <= SystemDlg::Temperature; ++m) {
            const auto which = static_cast<SystemDlg::Monitor>(m);
            EXPECT_EQ(page.MonitorValue(which).IsWindowVisible(), monitoring) << m;
            EXPECT_EQ(page.MonitorLight(which).IsWindowVisible(),
                      !monitoring || which == SystemDlg::Temperature)
                << m;
            EXPECT_EQ(left(page.MonitorLight(which)) == column, !monitoring) << m;
        }
        // Without values every light is on; a lost connection blinks, its
        // readings unknown and its lights unlit either way.
        RefreshNow(page);
        EXPECT_EQ(page.MonitorLight(SystemDlg::Temperature).GetFillColor(), kGreen);
        ConnectionLostFlag()[static_cast<std::size_t>(index)] = 1;
        const bool on = AlarmBlinkCounter() % 2 == 0; // black on yellow, else unseen
        RefreshNow(page);
        const COLORREF background = TheColorScheme().Main.Background;
        const CNewLabel& alarm = Window(index).GetStatusHeader().GetAlarmLabel();
        EXPECT_EQ(alarm.GetTextColor(), on ? RGB(0, 0, 0) : background);
        EXPECT_EQ(alarm.GetBkColor(), on ? kYellow : background);
        EXPECT_EQ(page.MonitorLight(SystemDlg::Temperature).GetFillColor(), background);
        EXPECT_EQ(page.BandLight(1).GetFillColor(), background);
        EXPECT_EQ(page.MonitorValue(SystemDlg::Voltage).GetWindowText(),
                  monitoring ? "---" : "Source Voltage");
    }
}

TEST_F(SystemPageTest, DateLines) {
    EXPECT_EQ(SystemDlg::DateLine(
                  {.wYear = 2026, .wMonth = 7, .wDay = 6, .wHour = 14, .wMinute = 5, .wSecond = 9}),
              "Jul  06,2026 14:05:09");
    EXPECT_EQ(SystemDlg::DateLine({.wYear = 2027, .wMonth = 3, .wDay = 21}),
              "Mar 21,2027 00:00:00");
}

TEST_F(SystemPageTest, NoteEditConfirmedCancelledAndFailing) {
    SystemDlg& page = Open({.note = "Mast 7"});
    UnitSlot& slot = Slot(0);
    unit->ClearFrames();
    EditNote(page, nullptr);
    EXPECT_TRUE(Payloads(*unit, 0x1003, 0x80).empty());
    EditNote(page, "Roof 3");
    Bytes expected = {0x80, 'R', 'o', 'o', 'f', ' ', '3'};
    expected.resize(17);
    EXPECT_EQ(Payloads(*unit, 0x1003, 0x80), std::vector<Bytes>{expected});
    EXPECT_EQ(slot.userNote, "Roof 3");
    EXPECT_EQ(page.IdentityText(2), "Roof 3");
    // The identity pane beside the tabs and the title follow at once too.
    EXPECT_EQ(Window(0).GetIdentityPane().GetDlgItem(Info::kIdDeviceId)->GetWindowText(), "Roof 3");
    EXPECT_EQ(Window(0).GetWindowText().substr(0, 8), "Roof 3 (");
    // The connection watch follows the new note.
    const int reads = NoteReads(*unit);
    ASSERT_TRUE(WaitUntil([&] { return NoteReads(*unit) > reads + 1; }));
    EXPECT_FALSE(Lost(0));
    // A silent unit: the model's note is empty, the slot keeps its own.
    unit->SetFault(sim::Fault::Silent);
    EditNote(page, "Cellar");
    unit->SetFault(sim::Fault::None);
    EXPECT_EQ(Payloads(*unit, 0x1003, 0x80).size(), 2u);
    EXPECT_STREQ(slot.Unit()->identity.userNote.data(), "");
    EXPECT_EQ(slot.userNote, "Roof 3");
}

TEST_F(SystemPageTest, IdentityThreeBandsAndTheirHardCopy) {
    TempFolder folder;
    TheEnvironment().SetupFilesFolder = folder.Path();
    SystemDlg& page =
        Open({.model = "80C2", .serialHigh = 0x00AB, .serialLow = 1001, .note = "Roof 2"});
    const std::string identity[] = {"1.01.02", "00AB-1001", "Roof 2", unit->Config().address};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(page.IdentityText(i), identity[i]);
    }
    EXPECT_EQ(page.Firmware().GetWindowText(), "01020304");
    const char* ranges[] = {": 2200 - 2395", ": 4400 - 4940", ": 5091 - 5150"};
    for (int k = 1; k <= 8; ++k) {
        const std::string text = page.BandValue(k).GetWindowText();
        EXPECT_TRUE(k <= 3 ? text.ends_with(ranges[k - 1]) : text == "---") << k << text;
        EXPECT_EQ(page.BandLight(k).GetFillColor(),
                  k <= 3 ? kGreen : TheColorScheme().Main.Background)
            << k;
    }
    // The first band's light, as painted.
    const QImage shot = Grab(page.BandLight(1));
    EXPECT_GT(CountColour(shot, kGreen, 0, 0, shot.width(), shot.height()), 10);

    const auto& button = *page.GetDlgItem(SystemDlg::kIdHardCopy);
    const std::string unitFolder = folder / "00AB-1001_Setup";
    const auto& shown = dialogs->History();

    // Cancelled: no folder left behind. A unit whose serial is not known has
    // no folder of its own: the dialog starts in the setup files folder.
    for (const bool known : {true, false}) {
        Slot(0).Unit()->identity.identityRead = known ? 1 : 0;
        dialogs->CancelFile();
        Click(button);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().file.initialFolder, known ? unitFolder : folder.Path());
        EXPECT_TRUE(shown.back().file.fileName.starts_with(known ? "00AB-1001_" : "TM80_"));
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << known;
    }
    Slot(0).Unit()->identity.identityRead = 1;

    // PDF: one A4 landscape page (842 x 595 points).
    dialogs->AnswerFile(unitFolder + "/copy.pdf");
    Click(button);
    const auto& asked = shown.back().file;
    EXPECT_EQ(asked.title, "Hard Copy");
    EXPECT_EQ(asked.initialFolder, unitFolder);
    EXPECT_TRUE(std::filesystem::is_directory(unitFolder));
    EXPECT_TRUE(StampedName(asked.fileName, "00AB-1001", "pdf")) << asked.fileName;
    const QString pdf = QString::fromLatin1(ReadFile(unitFolder + "/copy.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdf.count(QRegularExpression("/Type /Page[\\n\\r ]")), 1);
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 842")) << pdf.left(2000).toStdString();
    // Drawn afresh at print resolution, not the screen's pixels blown up.
    const auto width = QRegularExpression("/Width (\\d+)").match(pdf);
    ASSERT_TRUE(width.hasMatch());
    EXPECT_GT(width.captured(1).toInt(), 3 * page.GetNative()->width());

    // PNG: the page at screen size, its green band lights included.
    dialogs->AnswerFile(unitFolder + "/copy.png");
    Click(button);
    QImage png(QString::fromStdString(unitFolder + "/copy.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), page.GetNative()->size());
    EXPECT_GT(CountColour(png, kGreen, 0, 0, png.width(), png.height()), 50);

    // A folder that cannot be written: a message naming the path.
    for (const char* name : {"/copy.pdf", "/copy.png"}) {
        const std::string path = "/nonexistent/hard" + std::string(name);
        dialogs->ClearHistory();
        dialogs->AnswerFile(path);
        Click(button);
        ASSERT_EQ(shown.size(), 2u) << name;
        EXPECT_EQ(shown[1].message.text, "The hard copy could not be written to " + path + ".");
    }
}

} // namespace
