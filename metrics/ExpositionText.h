// Prometheus' text exposition format (version 0.0.4), written by hand: the
// format is a few line shapes, and the one part that must be exact is here.
//
//   # HELP tm80_up Whether the unit answered ...
//   # TYPE tm80_up gauge
//   tm80_up{unit="127.0.0.2"} 1
//
// A family's HELP and TYPE lines come once, before its first sample, and its
// samples follow one another. Label values are UTF-8 with backslash, double
// quote and line feed escaped (\\, \", \n); HELP texts escape backslash and
// line feed.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace metrics {

enum class MetricType { Gauge, Counter };

struct Label {
    std::string_view name;
    std::string_view value; // UTF-8
};

class ExpositionText {
public:
    static constexpr const char* kContentType = "text/plain; version=0.0.4; charset=utf-8";

    // Starts family `name`: its HELP and TYPE lines are written with its
    // first sample, so a family without samples leaves no lines.
    void Family(std::string_view name, std::string_view help, MetricType type);
    // A sample of the current family.
    void Sample(std::initializer_list<Label> labels, double value);

    const std::string& Text() const { return text_; }

    static void AppendLabelValue(std::string& out, std::string_view utf8);
    // Shortest text that reads back as `value`; NaN, +Inf and -Inf as the
    // format spells them.
    static void AppendNumber(std::string& out, double value);

private:
    std::string text_;
    std::string name_;
    std::string help_;
    MetricType type_ = MetricType::Gauge;
    bool headerWritten_ = true;
};

// A text the unit sent (8-bit, Windows-1252, as the window shows it) as UTF-8.
std::string UnitTextToUtf8(std::string_view text);

} // namespace metrics
