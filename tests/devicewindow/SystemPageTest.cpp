// The system page against simulated units: identity, bands and their lights,
// the monitoring layout, dates, note editing and Hard Copy. The history chart
// it opens: its plots prepared from a scripted history (segments, gaps,
// thinning, time marks), then the window after a scripted run of a simulated
// unit (a hot spell and a silence) with its lines, shading, range buttons and
// hover, and its exports through the Hard Copy conventions.
#include "devicewindow/HistoryChartView.h"
#include "devicewindow/HistoryDlg.h"
#include "devicewindow/Info.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/WallClock.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"
#include "tests/infra/TempFolder.h"

#include <QLineEdit>
#include <QLineSeries>
#include <QRegularExpression>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <thread>
#include <tuple>

namespace {

using namespace dwtest;
using win::COLORREF;
using win::RGB;
using Plot = HistoryPlot;
using Outcome = HealthReading::Outcome;

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr std::int64_t kSecond = 1000;

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
    const std::size_t reads = Payloads(*unit, 0x1003, 0).size();
    ASSERT_TRUE(WaitUntil([&] { return Payloads(*unit, 0x1003, 0).size() > reads + 1; }));
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

// One reading a second: 0-9 answered (88 degrees at 5), 10 failed, 11-14
// left out (the unit quiet), 15-20 answered, nothing 21-39, 40-45 answered.
UnitHistory ScriptedHistory() {
    UnitHistory history;
    const std::tuple<int, int, Outcome> runs[] = {{0, 9, Outcome::Answered},
                                                  {10, 10, Outcome::Failed},
                                                  {11, 14, Outcome::LeftOut},
                                                  {15, 20, Outcome::Answered},
                                                  {40, 45, Outcome::Answered}};
    for (const auto& [from, to, outcome] : runs) {
        for (int s = from; s <= to; ++s) {
            const double temperature = s == 5 ? 88 : 41;
            history.Record(
                HealthReading::Of(s * kSecond, {temperature, 12.0, 1.5}, outcome, false));
        }
    }
    return history;
}

TEST(HistoryPlot, SegmentsGapsAndThinning) {
    const UnitHistory history = ScriptedHistory();
    const std::vector<Plot::Gap> all = {{{9 * kSecond, 11 * kSecond}, Plot::GapKind::NoAnswer},
                                        {{11 * kSecond, 15 * kSecond}, Plot::GapKind::Quiet},
                                        {{20 * kSecond, 40 * kSecond}, Plot::GapKind::NotRead}};
    const struct {
        Plot::Span span;
        int columns;
        std::vector<std::size_t> sizes; // temperature points per segment
        std::vector<int> ends;          // second of each segment's last point
        std::vector<Plot::Gap> gaps;
    } cases[] = {
        {{0, 45 * kSecond}, 1000, {10, 6, 6}, {9, 20, 45}, all},
        // Starting amid the silence: the gap enters from the left edge.
        {{12 * kSecond, 45 * kSecond},
         1000,
         {6, 6},
         {20, 45},
         {{{12 * kSecond, 15 * kSecond}, Plot::GapKind::Quiet}, all[2]}},
        // Two columns: first, lowest, highest and last of a segment per column.
        {{0, 45 * kSecond}, 2, {3, 2, 2}, {9, 20, 45}, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.span.startMs << " " << c.columns);
        const Plot::Data data = Plot::Prepare(history, c.span, c.columns);
        EXPECT_EQ(data.gaps, c.gaps);
        bool hotDrawn = false;
        for (int q = 0; q < Plot::kQuantities; ++q) {
            const Plot::Plot& plot = data.plots[static_cast<std::size_t>(q)];
            ASSERT_EQ(plot.segments.size(), c.sizes.size());
            for (std::size_t s = 0; s < c.sizes.size(); ++s) {
                if (q == Plot::Temperature) {
                    EXPECT_EQ(plot.segments[s].size(), c.sizes[s]) << s;
                }
                // Thinned or not, a line ends where its readings end.
                EXPECT_EQ(plot.segments[s].back().timeMs, c.ends[s] * kSecond) << q << " " << s;
                for (const Plot::Point& p : plot.segments[s]) {
                    EXPECT_NE(p.value, 0.0); // no zeros drawn
                    hotDrawn = hotDrawn || (q == Plot::Temperature && p.value == 88.0);
                    for (const Plot::Gap& gap : data.gaps) {
                        EXPECT_FALSE(p.timeMs > gap.span.startMs && p.timeMs < gap.span.endMs);
                    }
                }
            }
        }
        const Plot::Plot& temperature = data.plots[Plot::Temperature];
        const bool hotInView = c.span.startMs <= 5 * kSecond;
        EXPECT_EQ(hotDrawn, hotInView);
        EXPECT_GE(temperature.axis.high, hotInView ? 88.0 : 80.0);
        EXPECT_LE(temperature.axis.low, 41.0);
        EXPECT_GT(temperature.axis.low, 0.0); // unanswered reads hold zeros that set no range
    }
}

TEST(HistoryPlot, TimeMarksFallOnRoundLocalTimes) {
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> saved = zone ? std::optional<std::string>(zone) : std::nullopt;
    ::setenv("TZ", "<+0530>-5:30", 1); // half an hour off UTC
    ::tzset();
    constexpr std::int64_t kAt = 1779026602000; // 19:33:22 there
    const struct {
        std::int64_t length;
        std::vector<std::string> labels;
    } cases[] = {
        {90 * kSecond, {"19:32:00", "19:32:15", "19:32:30", "19:32:45", "19:33:00", "19:33:15"}},
        {Plot::Length(Plot::Range::TenMinutes), {"19:24", "19:26", "19:28", "19:30", "19:32"}},
        {Plot::Length(Plot::Range::Day),
         {"21:00", "00:00", "03:00", "06:00", "09:00", "12:00", "15:00", "18:00"}},
        {3 * Plot::Length(Plot::Range::Day),
         {"05-15 00:00", "05-15 12:00", "05-16 00:00", "05-16 12:00", "05-17 00:00",
          "05-17 12:00"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> labels;
        for (const Plot::Tick& tick : Plot::TimeTicks({kAt - c.length, kAt}, 8)) {
            labels.push_back(tick.label);
        }
        EXPECT_EQ(labels, c.labels) << c.length;
    }
    saved ? ::setenv("TZ", saved->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

class HistoryWindowTest : public On<79> {
protected:
    // A unit opened and run: steady, hot (88 degrees), silent for one read
    // and one left out, then answering again; a quarter second between reads.
    int ScriptedRun() {
        unit = &StartUnit({.note = "MAST 9"});
        const int index = AddUnit(*unit);
        SystemDlg& page = Sys(index);
        // The test's reads are the only ones.
        page.KillTimer(SystemDlg::kStatusTimer);
        Window(index).KillTimer(DefaultDlg::kNoteTimer);
        auto refresh = [&](int times) {
            for (int i = 0; i < times; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
                RefreshNow(page);
            }
        };
        unit->SetStatus(41, 120, 15);
        refresh(3);
        unit->SetStatus(88, 120, 15);
        refresh(3);
        unit->SetFault(sim::Fault::Silent);
        refresh(2); // the first waits out its budget, then the unit is quiet
        unit->SetFault(sim::Fault::None);
        Window(index).NoteCheck(); // the unit answers again
        WaitIdle(Slot(index));
        unit->SetStatus(42, 121, 15);
        refresh(3);
        return index;
    }
    sim::SimUnit* unit = nullptr;
};

TEST_F(HistoryWindowTest, ChartOfAScriptedRunAndItsExportsWhereHardCopyPutsThem) {
    TempFolder folder;
    TheEnvironment().SetupFilesFolder = folder.Path();
    const int index = ScriptedRun();
    ShowAt(index, DefaultDlg::kSystemPage);
    Click(*Sys(index).GetDlgItem(SystemDlg::kIdHistory));
    ASSERT_NE(Window(index).GetHistoryWindow(), nullptr);
    HistoryDlg& history = *Window(index).GetHistoryWindow();
    EXPECT_TRUE(history.IsWindowVisible());
    EXPECT_EQ(history.GetRange(), Plot::Range::TenMinutes);
    // The chart follows a new reading by itself.
    const auto drawn = [&] { return history.View().Lines(Plot::Temperature).back()->count(); };
    const qsizetype before = drawn();
    RefreshNow(Sys(index));
    EXPECT_TRUE(WaitUntil([&] { return drawn() > before; }));
    Click(*history.GetDlgItem(HistoryDlg::kIdRange[3]), QPoint(4, 4));
    ASSERT_EQ(history.GetRange(), Plot::Range::All);

    // Two lines in each plot, none through the silence, no zeros.
    HistoryChartView& view = history.View();
    const Plot::Data& shown = view.Shown();
    ASSERT_EQ(shown.gaps.size(), 2u);
    EXPECT_EQ(shown.gaps[0].kind, Plot::GapKind::NoAnswer);
    EXPECT_EQ(shown.gaps[1].kind, Plot::GapKind::Quiet);
    const QList<QLineSeries*> lines = view.Lines(Plot::Temperature);
    ASSERT_EQ(lines.size(), 2);
    QList<qreal> temperatures;
    for (const QPointF& p : lines[0]->points()) {
        temperatures.append(p.y());
    }
    EXPECT_EQ(temperatures, (QList<qreal>{41, 41, 41, 88, 88, 88}));
    EXPECT_GE(lines[1]->count(), 3); // and the readings since
    for (int q = 0; q < Plot::kQuantities; ++q) {
        for (QLineSeries* line : view.Lines(static_cast<Plot::Quantity>(q))) {
            for (const QPointF& p : line->points()) {
                EXPECT_NE(p.y(), 0.0);
                EXPECT_FALSE(p.x() > shown.gaps[0].span.startMs &&
                             p.x() < shown.gaps[1].span.endMs);
            }
        }
    }

    // Pixels: the silence shaded across the temperature plot, the alarm line
    // yellow on the left where there are no readings.
    const Plot::Box box = view.PlotBox(Plot::Temperature);
    const QImage image = view.grab().toImage();
    const int gapX = static_cast<int>(
        Plot::XOf(box, shown.span, (shown.gaps[0].span.startMs + shown.gaps[1].span.endMs) / 2.0));
    const COLORREF background = TheColorScheme().Main.Background;
    // 70 degrees: off the grid and the dashed alarm line.
    EXPECT_NE(PixelAt(image, gapX, box.top + 3 * box.height / 8), background);
    EXPECT_EQ(CountNear(image, TheColorScheme().Main.Label, gapX, box.top, 1, box.height), 0)
        << "a line through the silence";
    const int alarmY =
        static_cast<int>(std::lround(Plot::YOf(box, shown.plots[Plot::Temperature].axis, 80.0)));
    int yellow = 0;
    for (int y = alarmY - 1; y <= alarmY + 1; ++y) {
        const COLORREF c = PixelAt(image, box.left + 20, y);
        yellow += win::GetRValue(c) > 200 && win::GetGValue(c) > 200 && win::GetBValue(c) < 100;
    }
    EXPECT_GE(yellow, 1);

    // Hover: the value and time of the reading under the mouse.
    const UnitHistory& readings = Slot(index).history;
    const auto hoverAt = [&](std::int64_t timeMs) {
        const QPoint at(static_cast<int>(std::lround(Plot::XOf(box, shown.span, timeMs))),
                        box.top + box.height / 2);
        QTest::mouseMove(view.viewport(), at);
        Settle();
        return view.HoverText();
    };
    EXPECT_TRUE(hoverAt(readings[4].timeMs).startsWith(QString::fromUtf8("88 °C  ")))
        << hoverAt(readings[4].timeMs).toStdString();
    EXPECT_TRUE(hoverAt(readings[6].timeMs).startsWith("no answer  "));
    EXPECT_TRUE(hoverAt(readings[7].timeMs).startsWith("not read (unit quiet)  "));
    EXPECT_EQ(view.HoverText().right(8).toStdString(),
              PlainLocalTime(readings[7].timeMs).substr(11));

    // The exports: CSV as the operator asks for it, the chart as PNG and PDF.
    const std::string serial = Slot(index).Unit()->SerialNumberText();
    const std::string csv = UnitSetupFolder(serial) + "/history.csv";
    dialogs->AnswerFile(csv);
    Click(*history.GetDlgItem(HistoryDlg::kIdExport));
    ASSERT_EQ(dialogs->History().size(), 1u);
    const win::FileDialogRequest& asked = dialogs->History()[0].file;
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "Export History");
    EXPECT_EQ(asked.initialFolder, UnitSetupFolder(serial));
    EXPECT_TRUE(StampedName(asked.fileName, serial, "csv")) << asked.fileName;
    const QStringList rows = QString::fromStdString(ReadFile(csv)).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 12);
    EXPECT_EQ(rows[0], "time,ok,temperature_c,voltage_v,current_a,power_w,alarm");
    EXPECT_TRUE(rows[4].endsWith(",true,88,12.0,1.5,18.0,true")) << rows[4].toStdString();
    EXPECT_TRUE(rows[7].endsWith(",false,,,,,true")) << rows[7].toStdString();
    EXPECT_TRUE(rows[8].endsWith(",false,,,,,true")) << rows[8].toStdString();

    // A picture right after a change of range carries the new time marks.
    history.SetRange(Plot::Range::Day);
    history.SetRange(Plot::Range::All);
    const std::string png = folder.Path() + "/chart.png";
    ASSERT_TRUE(history.ExportTo(png));
    const QImage picture(QString::fromStdString(png));
    EXPECT_EQ(picture.size(), history.View().size());
    const Plot::Box power = history.View().PlotBox(Plot::Power);
    EXPECT_GT(CountNear(picture, TheColorScheme().Main.Label, power.left, power.Bottom() + 3,
                        power.width, 14),
              0);
    const std::string pdf = folder.Path() + "/chart.PDF";
    ASSERT_TRUE(history.ExportTo(pdf));
    EXPECT_TRUE(ReadFile(pdf).starts_with("%PDF-"));

    const std::string unwritable = folder.Path() + "/no such folder/history.csv";
    dialogs->AnswerFile(unwritable);
    history.Export();
    ASSERT_EQ(dialogs->History().size(), 3u);
    EXPECT_EQ(dialogs->History()[2].message.text,
              "The history could not be written to " + unwritable + ".");
}

} // namespace
