// HistoryPlot: what the history chart draws, worked out apart from its paint
// code: the time span a range shows, the points of each of the four plots
// (thinned to what the plot's width can show), the gaps where no line may be
// drawn, each plot's value axis, and the hover text. Plain functions over a
// unit's history; times are wall-clock milliseconds.
//
// A line joins two answered readings only when no reading in between went
// unanswered and they lie at most kLongestStepMs apart. Everything else is a
// gap: shaded, with no line through it and no value drawn for it.
#pragma once

#include "device/UnitHistory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class HistoryPlot {
public:
    // The plots, top to bottom.
    enum Quantity { Temperature, Voltage, Current, Power, kQuantities };
    enum class Range { TenMinutes, Hour, Day, All };
    static constexpr int kRanges = 4;

    // Readings further apart than this were not made once a second: no line
    // joins them.
    static constexpr std::int64_t kLongestStepMs = 5000;
    // "All" shows at least this much.
    static constexpr std::int64_t kShortestSpanMs = 60 * 1000;

    struct Span {
        std::int64_t startMs = 0;
        std::int64_t endMs = 0;
        std::int64_t Length() const { return endMs - startMs; }
        bool operator==(const Span&) const = default;
    };
    struct Point {
        std::int64_t timeMs = 0;
        double value = 0.0;
        bool operator==(const Point&) const = default;
    };
    using Segment = std::vector<Point>;

    // Why a gap has no line: the unit did not answer, it was quiet (its reads
    // left out), or there are no readings at all for that time.
    enum class GapKind { NoAnswer, Quiet, NotRead };
    struct Gap {
        Span span;
        GapKind kind = GapKind::NoAnswer;
        bool operator==(const Gap&) const = default;
    };

    struct Axis {
        double low = 0.0;
        double high = 1.0;
        int ticks = 2; // tick marks, both ends included
        int decimals = 0;
    };
    struct Plot {
        std::vector<Segment> segments; // each drawn as one line, in time order
        Axis axis;
    };
    // A mark on the time axis at a round local time, with its label.
    struct Tick {
        std::int64_t timeMs = 0;
        std::string label;
        bool operator==(const Tick&) const = default;
    };
    // A plot's place in the chart, in pixels.
    struct Box {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        int Right() const { return left + width; }
        int Bottom() const { return top + height; }
        bool Contains(double x, double y) const {
            return x >= left && x <= Right() && y >= top && y <= Bottom();
        }
    };

    struct Data {
        Span span;
        std::vector<Tick> ticks;
        std::array<Plot, kQuantities> plots;
        std::vector<Gap> gaps; // in time order, clipped to the span
    };

    // The range's length (0 for All).
    static std::int64_t Length(Range range);
    // The span `range` shows: the last Length(range) up to the newest reading
    // (up to `nowMs` without readings); All from the oldest reading.
    static Span SpanOf(const UnitHistory& history, Range range, std::int64_t nowMs);

    // The plots of the readings within `span` for a plot `columns` pixels
    // wide: with more readings than four per column, each column keeps the
    // first, lowest, highest and last point of each segment, in time order.
    static Data Prepare(const UnitHistory& history, Span span, int columns);

    // Marks at round local times after the span's start up to its end, at
    // most `most` steps apart: "14:05:30", "14:10", or "05-17 14:00" for a
    // span longer than a day.
    static std::vector<Tick> TimeTicks(Span span, int most);

    // The four plots in a chart `width` x `height` pixels, one above the
    // other with a title line over each, all with the same left and right
    // edges so that they share one time axis, whose labels go below the last.
    static std::array<Box, kQuantities> PlotBoxes(int width, int height);
    // Where a time or value falls within a box; values beyond the axis may
    // lie outside it.
    static double XOf(const Box& box, Span span, double timeMs);
    static double YOf(const Box& box, const Axis& axis, double value);
    static double TimeAt(const Box& box, Span span, double x);

    static double Value(const HealthReading& reading, Quantity quantity);
    // A value axis with round ticks around low..high, at least the quantity's
    // least spread wide; the temperature axis always shows the alarm line.
    static Axis AxisFor(Quantity quantity, std::optional<double> low, std::optional<double> high);

    // The reading nearest to `timeMs` within `span`, if any.
    static std::optional<std::size_t> Nearest(const UnitHistory& history, Span span,
                                              std::int64_t timeMs);
    // "41 \260C  2026-05-17 14:03:22", "no answer  ...", "not read (unit quiet)  ...",
    // with ", connection lost" when it was; "no readings  <time>" when
    // nothing was read within kLongestStepMs of `timeMs`. Latin-1, as the
    // window texts are.
    static std::string HoverText(const UnitHistory& history, Span span, Quantity quantity,
                                 std::int64_t timeMs);
    // The value with its unit, as the Info page writes it: "41 \260C", "12.0 V".
    static std::string ValueText(const HealthReading& reading, Quantity quantity);
};
