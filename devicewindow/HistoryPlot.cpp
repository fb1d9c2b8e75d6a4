#include "devicewindow/HistoryPlot.h"

#include "infra/WallClock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using Plot = HistoryPlot;

constexpr std::int64_t kMinuteMs = 60 * 1000;

// The least spread of each axis, so that a steady value is not blown up into
// noise, and the values shown before there are any.
constexpr double kLeastSpread[Plot::kQuantities] = {10.0, 1.0, 0.5, 5.0};
constexpr double kEmptyLow[Plot::kQuantities] = {20.0, 0.0, 0.0, 0.0};
constexpr double kEmptyHigh[Plot::kQuantities] = {80.0, 15.0, 3.0, 45.0};
// Room above and below the values, as a share of their spread.
constexpr double kPadShare = 0.1;
constexpr int kMostTickSteps = 4;

// 1, 2 or 5 times a power of ten, at least `rough`.
double RoundStep(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / power;
    return (f <= 1.0 ? 1.0 : f <= 2.0 ? 2.0 : f <= 5.0 ? 5.0 : 10.0) * power;
}

// Thins one segment of one plot: within a column it keeps the first, the
// lowest, the highest and the last point, in time order, so the line looks
// as it would with every point and still ends where the segment ends.
class Thinner {
public:
    Thinner(Plot::Span span, int columns, bool thin)
        : span_(span), columns_(columns), thin_(thin) {}

    void Add(Plot::Segment& segment, Plot::Point p) {
        if (!thin_) {
            segment.push_back(p);
            return;
        }
        const int column = Column(p.timeMs);
        if (count_ > 0 && column != column_) {
            Flush(segment);
        }
        if (count_ == 0) {
            column_ = column;
            first_ = low_ = high_ = p;
        } else if (p.value < low_.value) {
            low_ = p;
        } else if (p.value > high_.value) {
            high_ = p;
        }
        last_ = p;
        ++count_;
    }
    void Flush(Plot::Segment& segment) {
        if (count_ == 0) {
            return;
        }
        std::array<Plot::Point, 4> kept = {first_, low_, high_, last_};
        std::sort(kept.begin(), kept.end(),
                  [](const Plot::Point& a, const Plot::Point& b) { return a.timeMs < b.timeMs; });
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (i == 0 || kept[i].timeMs != kept[i - 1].timeMs) {
                segment.push_back(kept[i]);
            }
        }
        count_ = 0;
    }

private:
    int Column(std::int64_t timeMs) const {
        const std::int64_t length = std::max<std::int64_t>(span_.Length(), 1);
        const auto column = (timeMs - span_.startMs) * columns_ / length;
        return static_cast<int>(std::clamp<std::int64_t>(column, 0, columns_ - 1));
    }

    Plot::Span span_;
    std::int64_t columns_;
    bool thin_;
    int column_ = 0;
    int count_ = 0;
    Plot::Point first_, low_, high_, last_;
};

// Walks the readings once, building the segments of all four plots and the
// gaps between them.
class Builder {
public:
    Builder(Plot::Data& data, int columns, bool thin) : data_(data) {
        for (auto& t : thinners_) {
            t.emplace(data.span, columns, thin);
        }
    }

    void Take(const HealthReading& r) {
        if (!r.Answered()) {
            const Plot::GapKind kind = r.outcome == HealthReading::Outcome::LeftOut
                                           ? Plot::GapKind::Quiet
                                           : Plot::GapKind::NoAnswer;
            if (!gapOpen_) {
                EndSegments();
                OpenGap(previous_ ? previous_->timeMs : r.timeMs, kind);
            } else if (kind != gapKind_) {
                CloseGap(r.timeMs);
                OpenGap(r.timeMs, kind);
            }
            lastTime_ = r.timeMs;
            return;
        }
        if (gapOpen_) {
            CloseGap(r.timeMs);
        } else if (previous_ && r.timeMs - previous_->timeMs > Plot::kLongestStepMs) {
            EndSegments();
            AddGap({previous_->timeMs, r.timeMs}, Plot::GapKind::NotRead);
        }
        previous_ = r;
        lastTime_ = r.timeMs;
        if (r.timeMs < data_.span.startMs || r.timeMs > data_.span.endMs) {
            return;
        }
        for (int q = 0; q < Plot::kQuantities; ++q) {
            auto& segments = data_.plots[static_cast<std::size_t>(q)].segments;
            if (!segmentOpen_) {
                segments.emplace_back();
            }
            thinners_[static_cast<std::size_t>(q)]->Add(
                segments.back(), {r.timeMs, Plot::Value(r, static_cast<Plot::Quantity>(q))});
        }
        segmentOpen_ = true;
    }

    void Finish() {
        EndSegments();
        if (gapOpen_) {
            CloseGap(lastTime_);
        }
    }

private:
    void EndSegments() {
        if (!segmentOpen_) {
            return;
        }
        for (int q = 0; q < Plot::kQuantities; ++q) {
            thinners_[static_cast<std::size_t>(q)]->Flush(
                data_.plots[static_cast<std::size_t>(q)].segments.back());
        }
        segmentOpen_ = false;
    }
    void OpenGap(std::int64_t startMs, Plot::GapKind kind) {
        gapOpen_ = true;
        gapStart_ = startMs;
        gapKind_ = kind;
    }
    void CloseGap(std::int64_t endMs) {
        AddGap({gapStart_, endMs}, gapKind_);
        gapOpen_ = false;
    }
    void AddGap(Plot::Span span, Plot::GapKind kind) {
        span.startMs = std::max(span.startMs, data_.span.startMs);
        span.endMs = std::min(span.endMs, data_.span.endMs);
        if (span.endMs > span.startMs) {
            data_.gaps.push_back({span, kind});
        }
    }

    Plot::Data& data_;
    std::array<std::optional<Thinner>, Plot::kQuantities> thinners_;
    std::optional<HealthReading> previous_; // the last answered reading
    bool segmentOpen_ = false;
    bool gapOpen_ = false;
    std::int64_t gapStart_ = 0;
    Plot::GapKind gapKind_ = Plot::GapKind::NoAnswer;
    std::int64_t lastTime_ = 0;
};

} // namespace

std::int64_t HistoryPlot::Length(Range range) {
    switch (range) {
    case Range::TenMinutes:
        return 10 * kMinuteMs;
    case Range::Hour:
        return 60 * kMinuteMs;
    case Range::Day:
        return 24 * 60 * kMinuteMs;
    case Range::All:
        break;
    }
    return 0;
}

HistoryPlot::Span HistoryPlot::SpanOf(const UnitHistory& history, Range range, std::int64_t nowMs) {
    Span span;
    span.endMs = history.Empty() ? nowMs : history.Newest().timeMs;
    const std::int64_t length = Length(range);
    if (length > 0) {
        span.startMs = span.endMs - length;
        return span;
    }
    span.startMs = history.Empty() ? span.endMs : history[0].timeMs;
    span.startMs = std::min(span.startMs, span.endMs - kShortestSpanMs);
    return span;
}

HistoryPlot::Data HistoryPlot::Prepare(const UnitHistory& history, Span span, int columns) {
    Data data;
    data.span = span;
    columns = std::max(columns, 1);
    const std::size_t first = history.FirstAtOrAfter(span.startMs);
    const std::size_t end = history.FirstAtOrAfter(span.endMs + 1);
    const bool thin = end - first > 4 * static_cast<std::size_t>(columns);

    // The reading before the span tells whether a line or a gap enters it.
    Builder builder(data, columns, thin);
    for (std::size_t i = first > 0 ? first - 1 : 0; i < end; ++i) {
        builder.Take(history[i]);
    }
    builder.Finish();
    // A label takes about 90 pixels.
    data.ticks = TimeTicks(span, std::clamp(columns / 90, 2, 8));

    std::array<std::optional<double>, kQuantities> low, high;
    for (std::size_t i = first; i < end; ++i) {
        const HealthReading& r = history[i];
        if (!r.Answered()) {
            continue;
        }
        for (std::size_t q = 0; q < kQuantities; ++q) {
            const double v = Value(r, static_cast<Quantity>(q));
            low[q] = low[q] ? std::min(*low[q], v) : v;
            high[q] = high[q] ? std::max(*high[q], v) : v;
        }
    }
    for (std::size_t q = 0; q < kQuantities; ++q) {
        data.plots[q].axis = AxisFor(static_cast<Quantity>(q), low[q], high[q]);
    }
    return data;
}

double HistoryPlot::Value(const HealthReading& r, Quantity quantity) {
    switch (quantity) {
    case Temperature:
        return r.Temperature();
    case Voltage:
        return r.Voltage();
    case Current:
        return r.Current();
    case Power:
    case kQuantities:
        break;
    }
    return r.Power();
}

HistoryPlot::Axis HistoryPlot::AxisFor(Quantity quantity, std::optional<double> low,
                                       std::optional<double> high) {
    const auto q = static_cast<std::size_t>(quantity);
    double lo = low.value_or(kEmptyLow[q]);
    double hi = high.value_or(kEmptyHigh[q]);
    if (quantity == Temperature) {
        lo = std::min(lo, static_cast<double>(UnitStatus::kMostTemperature));
        hi = std::max(hi, static_cast<double>(UnitStatus::kMostTemperature));
    }
    if (hi - lo < kLeastSpread[q]) {
        const double middle = (lo + hi) / 2;
        lo = middle - kLeastSpread[q] / 2;
        hi = middle + kLeastSpread[q] / 2;
    }
    const double pad = (hi - lo) * kPadShare;
    lo -= pad;
    hi += pad;
    const double step = RoundStep((hi - lo) / kMostTickSteps);
    Axis axis;
    axis.low = std::floor(lo / step) * step;
    axis.high = std::ceil(hi / step) * step;
    axis.ticks = static_cast<int>(std::lround((axis.high - axis.low) / step)) + 1;
    axis.decimals = step >= 1.0 ? 0 : step >= 0.1 ? 1 : 2;
    return axis;
}

std::optional<std::size_t> HistoryPlot::Nearest(const UnitHistory& history, Span span,
                                                std::int64_t timeMs) {
    const std::size_t first = history.FirstAtOrAfter(span.startMs);
    const std::size_t end = history.FirstAtOrAfter(span.endMs + 1);
    if (first >= end) {
        return std::nullopt;
    }
    const std::size_t after = std::clamp(history.FirstAtOrAfter(timeMs), first, end - 1);
    const std::size_t before = after > first ? after - 1 : after;
    const auto distance = [&](std::size_t i) { return std::llabs(history[i].timeMs - timeMs); };
    return distance(before) <= distance(after) ? before : after;
}

std::string HistoryPlot::ValueText(const HealthReading& r, Quantity quantity) {
    char text[32];
    switch (quantity) {
    case Temperature:
        // The degree sign is the code page's byte 0xB0 (octal 260).
        std::snprintf(text, sizeof text, "%d \260C", r.Temperature());
        break;
    case Voltage:
        std::snprintf(text, sizeof text, "%.1f V", r.Voltage());
        break;
    case Current:
        std::snprintf(text, sizeof text, "%.1f A", r.Current());
        break;
    case Power:
    case kQuantities:
        std::snprintf(text, sizeof text, "%.1f W", r.Power());
        break;
    }
    return text;
}

std::string HistoryPlot::HoverText(const UnitHistory& history, Span span, Quantity quantity,
                                   std::int64_t timeMs) {
    const std::optional<std::size_t> nearest = Nearest(history, span, timeMs);
    if (!nearest || std::llabs(history[*nearest].timeMs - timeMs) > kLongestStepMs) {
        return "no readings  " + PlainLocalTime(timeMs);
    }
    const HealthReading& r = history[*nearest];
    std::string what;
    if (r.Answered()) {
        what = ValueText(r, quantity);
    } else {
        what = r.outcome == HealthReading::Outcome::Failed ? "no answer" : "not read (unit quiet)";
        if (r.lost) {
            what += ", connection lost";
        }
    }
    return what + "  " + PlainLocalTime(r.timeMs);
}

std::vector<HistoryPlot::Tick> HistoryPlot::TimeTicks(Span span, int most) {
    constexpr std::int64_t kSecond = 1000;
    constexpr std::int64_t kHour = 60 * kMinuteMs;
    constexpr std::int64_t kDay = 24 * kHour;
    constexpr std::int64_t kSteps[] = {
        10 * kSecond,   15 * kSecond,   30 * kSecond,   kMinuteMs, 2 * kMinuteMs, 5 * kMinuteMs,
        10 * kMinuteMs, 15 * kMinuteMs, 30 * kMinuteMs, kHour,     2 * kHour,     3 * kHour,
        6 * kHour,      12 * kHour,     kDay,           2 * kDay,  7 * kDay};
    std::vector<Tick> ticks;
    if (span.Length() <= 0 || most < 1) {
        return ticks;
    }
    std::int64_t step = kSteps[std::size(kSteps) - 1];
    for (std::int64_t s : kSteps) {
        if (span.Length() / s <= most) {
            step = s;
            break;
        }
    }
    // From "2026-05-17 14:03:22": the time with seconds, without, or the
    // date and time once the steps reach days.
    const bool dated = span.Length() > kDay;
    const std::size_t from = dated ? 5 : 11;
    const std::size_t count = step < kMinuteMs ? 8 : dated ? 11 : 5;
    // Round in local time, so that an hour mark falls on the local hour.
    const std::int64_t offset = UtcOffsetMs(span.startMs);
    std::int64_t local = span.startMs + offset;
    local = (local / step + 1) * step; // after the start: no two marks share a label
    for (std::int64_t t = local - offset; t <= span.endMs; t += step) {
        const std::string label = PlainLocalTime(t).substr(from, count);
        ticks.push_back({t, label});
        if (static_cast<int>(ticks.size()) > most) {
            break;
        }
    }
    return ticks;
}

std::array<HistoryPlot::Box, HistoryPlot::kQuantities> HistoryPlot::PlotBoxes(int width,
                                                                              int height) {
    constexpr int kLeft = 58;       // the value labels
    constexpr int kRight = 16;      // the last time label's second half
    constexpr int kTitle = 18;      // the title line over each plot
    constexpr int kBelow = 6;       // between one plot and the next title
    constexpr int kTimeLabels = 22; // below the last plot
    const int plotHeight =
        std::max(1, (height - kTimeLabels - kQuantities * (kTitle + kBelow)) / kQuantities);
    std::array<Box, kQuantities> boxes;
    for (int q = 0; q < kQuantities; ++q) {
        Box& box = boxes[static_cast<std::size_t>(q)];
        box.left = kLeft;
        box.width = std::max(1, width - kLeft - kRight);
        box.top = q * (kTitle + plotHeight + kBelow) + kTitle;
        box.height = plotHeight;
    }
    return boxes;
}

double HistoryPlot::XOf(const Box& box, Span span, double timeMs) {
    const double length = std::max<double>(static_cast<double>(span.Length()), 1.0);
    return box.left + (timeMs - static_cast<double>(span.startMs)) * box.width / length;
}

double HistoryPlot::YOf(const Box& box, const Axis& axis, double value) {
    const double spread = axis.high > axis.low ? axis.high - axis.low : 1.0;
    return box.Bottom() - (value - axis.low) * box.height / spread;
}

double HistoryPlot::TimeAt(const Box& box, Span span, double x) {
    const double share = box.width > 0 ? (x - box.left) / box.width : 0.0;
    return static_cast<double>(span.startMs) + share * static_cast<double>(span.Length());
}
