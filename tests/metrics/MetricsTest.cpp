// The metrics of units as text: escaping of what a unit sends, the families
// shown while a unit is up and left out once it is not, and promtool's
// reading of the whole text.
#include "metrics/ExpositionText.h"
#include "metrics/FleetMetrics.h"
#include "tests/metrics/MonitoringTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using metrics::FleetMetrics;
using metrics::Moment;
using metrics::UnitReading;

namespace {

UnitReading Reading(const std::string& note, bool monitoring = true) {
    UnitReading r;
    r.serial = "00AB-1001";
    r.note = note;
    r.product = "TM80M1 8-OUTPUT RF MULTICOUPLER";
    r.firmware = "01020304";
    r.model = "80M1";
    r.monitoring = monitoring;
    r.status = {85, 12.3, 1.5};
    r.split = 1;
    r.bands = {0, 1, 2, 3, 4, 5, 6, 7};
    r.adjustmentSteps = {-12, -1, 0, 1, 2, 3, 4, 12};
    return r;
}

std::string LabelValue(std::string_view unitText) {
    std::string out;
    metrics::ExpositionText::AppendLabelValue(out, metrics::UnitTextToUtf8(unitText));
    return out;
}

} // namespace

TEST(ExpositionText, UnitTextsBecomeEscapedUtf8) {
    struct Case {
        std::string_view unitText;
        std::string_view written;
    };
    const Case cases[] = {
        {"RACK A", "RACK A"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\UNIT", "C:\\\\UNIT"},
        {"two\nlines", "two\\nlines"},
        {"tab\tcr\r", "tab\tcr\r"}, // the format escapes only three characters
        {"\xC4\x44\xE9", "\xC3\x84"
                         "D\xC3\xA9"},                        // Windows-1252 letters
        {"\x80\x85\x9F", "\xE2\x82\xAC\xE2\x80\xA6\xC5\xB8"}, // euro, ellipsis, Y diaeresis
        {"\x81\x8D", "\xC2\x81\xC2\x8D"},                     // undefined in 1252: the controls
        {"\\\"\n", "\\\\\\\"\\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LabelValue(c.unitText), c.written) << c.unitText;
    }
}

TEST(ExpositionText, NumbersReadBackExactly) {
    struct Case {
        double value;
        const char* written;
    };
    const Case cases[] = {{41, "41"},         {12.3, "12.3"},     {-0.75, "-0.75"},
                          {18.45, "18.45"},   {1e21, "1e+21"},    {std::nan(""), "NaN"},
                          {HUGE_VAL, "+Inf"}, {-HUGE_VAL, "-Inf"}};
    for (const Case& c : cases) {
        std::string out;
        metrics::ExpositionText::AppendNumber(out, c.value);
        EXPECT_EQ(out, c.written);
    }
}

TEST(FleetMetrics, ReadingsShowOnlyWhileTheUnitIsUp) {
    const auto window = std::chrono::seconds(10);
    FleetMetrics fleet(window, "1.2.3");
    const std::string unit = "127.0.0.2";
    const std::string at = "{unit=\"127.0.0.2\"}";
    fleet.AddUnit(unit);
    auto series = montest::Series(fleet.Render());
    EXPECT_EQ(series["tm80_up" + at], 0);
    EXPECT_EQ(series.count("tm80_exchange_failures_total{unit=\"127.0.0.2\",reason=\"busy\"}"), 1u);
    EXPECT_EQ(series.count("tm80_temperature_celsius" + at), 0u);

    const Moment read = Moment::Now();
    fleet.RecordSuccess(unit, Reading("RACK A"), read);
    series = montest::Series(fleet.Render(read));
    EXPECT_EQ(series["tm80_up" + at], 1);
    EXPECT_EQ(series["tm80_temperature_celsius" + at], 85);
    EXPECT_EQ(series["tm80_power_watts" + at], 18.45);
    EXPECT_EQ(series["tm80_over_temperature" + at], 1);
    EXPECT_EQ(series["tm80_split_mode" + at], 1);
    EXPECT_EQ(series["tm80_output_band{unit=\"127.0.0.2\",output=\"8\"}"], 7);
    EXPECT_EQ(series["tm80_output_adjustment_db{unit=\"127.0.0.2\",output=\"1\"}"], -3);
    EXPECT_NEAR(series["tm80_last_success_timestamp_seconds" + at],
                std::chrono::duration<double>(read.wall.time_since_epoch()).count(), 0.001);
    EXPECT_EQ(series["tm80_exporter_build_info{version=\"1.2.3\"}"], 1);

    // Older than the window: down, and nothing stale is shown.
    Moment later = read;
    later.steady += window + std::chrono::milliseconds(1);
    series = montest::Series(fleet.Render(later));
    EXPECT_EQ(series["tm80_up" + at], 0);
    EXPECT_EQ(series.count("tm80_temperature_celsius" + at), 0u);
    EXPECT_EQ(series.count("tm80_output_band{unit=\"127.0.0.2\",output=\"1\"}"), 0u);

    // A failed read: down at once, counted by its reason; who the unit was
    // stays, and so does the time of its last success.
    fleet.RecordFailure(unit, UnitFailure::Timeout);
    series = montest::Series(fleet.Render(read));
    EXPECT_EQ(series["tm80_up" + at], 0);
    EXPECT_EQ(series.count("tm80_supply_voltage_volts" + at), 0u);
    EXPECT_EQ(series["tm80_exchange_failures_total{unit=\"127.0.0.2\",reason=\"timeout\"}"], 1);
    EXPECT_EQ(series["tm80_exchange_failures_total{unit=\"127.0.0.2\",reason=\"busy\"}"], 0);
    EXPECT_EQ(series.count("tm80_info{unit=\"127.0.0.2\",serial=\"00AB-1001\",note=\"RACK A\","
                           "product=\"TM80M1 8-OUTPUT RF MULTICOUPLER\",firmware=\"01020304\","
                           "model=\"80M1\"}"),
              1u);
    EXPECT_EQ(series.count("tm80_last_success_timestamp_seconds" + at), 1u);

    // A unit that does not report its health: its settings without the health readings.
    fleet.RecordSuccess(unit, Reading("RACK A", false), read);
    series = montest::Series(fleet.Render(read));
    EXPECT_EQ(series["tm80_up" + at], 1);
    EXPECT_EQ(series.count("tm80_temperature_celsius" + at), 0u);
    EXPECT_EQ(series.count("tm80_over_temperature" + at), 0u);
    EXPECT_EQ(series["tm80_split_mode" + at], 1);

    fleet.RemoveUnit(unit);
    EXPECT_EQ(montest::Series(fleet.Render()).count("tm80_up" + at), 0u);
}

TEST(FleetMetrics, PromtoolReadsTheTextWithHostileNotes) {
    FleetMetrics fleet(std::chrono::seconds(10), "1.2.3");
    const char* notes[] = {"A\"B\\C\nD", "\x80\x81\xFF\x01\x7F", "{}=,#", ""};
    int n = 2;
    for (const char* note : notes) {
        fleet.RecordSuccess("127.0.0." + std::to_string(n++), Reading(note));
    }
    fleet.RecordFailure("127.0.0.9", UnitFailure::Refused);
    std::string output;
    EXPECT_EQ(montest::Promtool({"check", "metrics"}, fleet.Render(), output), 0) << output;
    EXPECT_EQ(output, "");
}
