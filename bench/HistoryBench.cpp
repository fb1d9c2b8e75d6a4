// The unit history's costs: the memory a unit-day of readings takes (one a
// second), recording a day, and the history chart's redraw with a day of
// readings (prepared, shown and painted, as each second of following live
// does with the 24 h range), meant to stay under 50 ms.
//
//   tm80_history_bench [--benchmark_min_time=0.5]
#include "devicewindow/HistoryChartView.h"
#include "devicewindow/HistoryPlot.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr std::int64_t kDaySeconds = 24 * 60 * 60;
constexpr std::int64_t kStartMs = 1779026602000;
// About the chart's size in the history window.
constexpr int kChartWidth = 820;
constexpr int kChartHeight = 570;

// A day at one reading a second with drifting values, a hot spell every few
// hours and a silence of a few minutes every hour.
UnitHistory DayOfReadings() {
    UnitHistory history;
    for (std::int64_t s = 0; s < kDaySeconds; ++s) {
        const bool silent = s % 3600 >= 3000 && s % 3600 < 3180;
        const bool hot = s % 14400 < 900;
        const UnitStatus status{hot ? 86.0 : 40.0 + static_cast<double>(s % 7),
                                11.8 + static_cast<double>(s % 5) / 10.0,
                                1.4 + static_cast<double>(s % 3) / 10.0};
        history.Record(HealthReading::Of(
            kStartMs + s * 1000, status,
            silent ? HealthReading::Outcome::LeftOut : HealthReading::Outcome::Answered, false));
    }
    return history;
}

void BM_RecordUnitDay(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        UnitHistory history = DayOfReadings();
        bytes = history.MemoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes_per_unit_day"] = static_cast<double>(bytes);
}

void BM_PrepareDay(benchmark::State& state) {
    const UnitHistory history = DayOfReadings();
    const HistoryPlot::Span span = HistoryPlot::SpanOf(history, HistoryPlot::Range::Day, 0);
    for (auto _ : state) {
        HistoryPlot::Data data = HistoryPlot::Prepare(history, span, kChartWidth - 74);
        benchmark::DoNotOptimize(data);
    }
}

void BM_RedrawDay(benchmark::State& state) {
    const UnitHistory history = DayOfReadings();
    HistoryChartView view(nullptr);
    view.resize(kChartWidth, kChartHeight);
    QImage image(view.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        const HistoryPlot::Span span = HistoryPlot::SpanOf(history, HistoryPlot::Range::Day, 0);
        view.Show(history, HistoryPlot::Prepare(history, span, view.Columns()));
        QPainter painter(&image);
        view.render(&painter);
    }
}

BENCHMARK(BM_RecordUnitDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Painting needs no screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
