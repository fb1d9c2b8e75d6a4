// The metrics of units: readings shown only while the unit is up. (Escaping is
// fuzzed and read back by Prometheus end to end; the server answering scrapes
// side by side is checked on the exporter.)
#include "metrics/FleetMetrics.h"
#include "tests/metrics/MonitoringTestSupport.h"

#include <gtest/gtest.h>

using metrics::Moment;

TEST(FleetMetrics, ReadingsShowOnlyWhileTheUnitIsUp) {
    const std::chrono::seconds window(10);
    metrics::FleetMetrics fleet(window, "1.2.3");
    const auto series = [&](Moment now) { return montest::Series(fleet.Render(now)); };
    const std::string at = "{unit=\"127.0.0.2\"}";
    fleet.AddUnit("127.0.0.2");
    EXPECT_EQ(montest::Series(fleet.Render())["tm80_up" + at], 0);

    metrics::UnitReading r;
    r.note = "RACK A";
    r.monitoring = true;
    r.status = {85, 12.3, 1.5};
    r.bands = {0, 1, 2, 3, 4, 5, 6, 7};
    r.adjustmentSteps = {-12, -1, 0, 1, 2, 3, 4, 12};
    const Moment read = Moment::Now();
    fleet.RecordSuccess("127.0.0.2", r, read);
    auto s = series(read);
    EXPECT_EQ(s["tm80_up" + at], 1);
    EXPECT_EQ(s["tm80_power_watts" + at], 18.45);
    EXPECT_EQ(s["tm80_over_temperature" + at], 1);
    EXPECT_EQ(s["tm80_output_band{unit=\"127.0.0.2\",output=\"8\"}"], 7);
    EXPECT_EQ(s["tm80_output_adjustment_db{unit=\"127.0.0.2\",output=\"1\"}"], -3);

    // Older than the window: down, nothing stale shown.
    s = series({read.steady + window + std::chrono::milliseconds(1), read.wall});
    EXPECT_EQ(s.count("tm80_temperature_celsius" + at), 0u);
    EXPECT_EQ(s["tm80_up" + at], 0);

    // A failed read: down at once, counted by its reason; who the unit was stays.
    fleet.RecordFailure("127.0.0.2", UnitFailure::Timeout);
    s = series(read);
    EXPECT_EQ(s["tm80_up" + at], 0);
    EXPECT_EQ(s.count("tm80_output_band{unit=\"127.0.0.2\",output=\"1\"}"), 0u);
    EXPECT_EQ(s["tm80_exchange_failures_total{unit=\"127.0.0.2\",reason=\"timeout\"}"], 1);
    EXPECT_EQ(s["tm80_exchange_failures_total{unit=\"127.0.0.2\",reason=\"busy\"}"], 0);
    EXPECT_EQ(s.count("tm80_last_success_timestamp_seconds" + at), 1u);
    EXPECT_NE(fleet.Render(read).find("tm80_info{unit=\"127.0.0.2\",serial=\"\",note=\"RACK A\""),
              std::string::npos);

    // A unit that does not report its health: its settings without health readings.
    r.monitoring = false;
    fleet.RecordSuccess("127.0.0.2", r, read);
    s = series(read);
    EXPECT_EQ(s.count("tm80_temperature_celsius" + at), 0u);
    EXPECT_EQ(s.count("tm80_split_mode" + at), 1u);

    fleet.RemoveUnit("127.0.0.2");
    EXPECT_EQ(series(read).count("tm80_up" + at), 0u);
}
