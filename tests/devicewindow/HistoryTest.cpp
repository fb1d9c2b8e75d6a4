// The history chart: its plots prepared from a scripted history (segments,
// gaps, thinning, time marks), then the window after a scripted run of a
// simulated unit (a hot spell and a silence) with its lines, shading, range
// buttons and hover, and its exports through the Hard Copy conventions.
#include "devicewindow/HistoryChartView.h"
#include "devicewindow/HistoryDlg.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/WallClock.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"
#include "tests/infra/TempFolder.h"

#include <QLineSeries>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <thread>
#include <tuple>

namespace {

using namespace dwtest;
using Plot = HistoryPlot;
using Outcome = HealthReading::Outcome;

constexpr std::int64_t kSecond = 1000;

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
    // The history window as the Info page's button opens it.
    HistoryDlg& OpenHistory(int index) {
        ShowAt(index, DefaultDlg::kSystemPage);
        Click(*Sys(index).GetDlgItem(SystemDlg::kIdHistory));
        HistoryDlg* history = Window(index).GetHistoryWindow();
        EXPECT_TRUE(history != nullptr && history->IsWindowVisible());
        return *history;
    }

    sim::SimUnit* unit = nullptr;
};

TEST_F(HistoryWindowTest, ChartOfAScriptedRunAndItsExportsWhereHardCopyPutsThem) {
    TempFolder folder;
    TheEnvironment().SetupFilesFolder = folder.Path();
    const int index = ScriptedRun();
    HistoryDlg& history = OpenHistory(index);
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

    dialogs->AnswerFile(folder.Path() + "/no such folder/history.csv");
    history.Export();
    ASSERT_EQ(dialogs->History().size(), 3u);
    EXPECT_EQ(dialogs->History()[2].message.text, "The history could not be written to " +
                                                      folder.Path() +
                                                      "/no such folder/history.csv.");
}

} // namespace
