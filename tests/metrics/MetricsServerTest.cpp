// The metrics' HTTP server as clients meet it: the three pages, HEAD, and
// requests that are malformed or hostile, which get an error status (or, for
// what CivetWeb cannot place at all, a closed connection) and never reach the
// render function.
#include "metrics/MetricsServer.h"
#include "tests/metrics/MonitoringTestSupport.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <atomic>

using metrics::MetricsServer;

namespace {

constexpr int kPort = 9380;

// One server for the suite: CivetWeb takes a second or two to stop.
class MetricsServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new MetricsServer(
            [] {
                ++renders;
                return std::string("tm80_up{unit=\"127.0.0.2\"} 1\n");
            },
            "TM80 <Exporter>", {});
        for (int attempt = 0; attempt < 20 && address.empty(); ++attempt) {
            const std::string a = simtest::TestAddress(37, "MetricsServerTest", attempt);
            if (server->Start(a + ":" + std::to_string(kPort))) {
                address = a;
            }
        }
    }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override {
        ASSERT_FALSE(address.empty()) << server->Error();
        renders = 0;
    }

    static montest::HttpReply Send(const std::string& request) {
        return montest::HttpExchange(address, kPort, request);
    }

    static inline std::atomic<int> renders{0};
    static inline MetricsServer* server = nullptr;
    static inline std::string address;
};

} // namespace

TEST_F(MetricsServerTest, ServesThreePagesToGetAndHead) {
    struct Case {
        const char* request;
        int status;
        const char* body;
    };
    const Case cases[] = {
        {"GET /metrics HTTP/1.0\r\n\r\n", 200, "tm80_up{unit=\"127.0.0.2\"} 1\n"},
        {"GET /metrics?name[]=tm80_up HTTP/1.1\r\nHost: x\r\n\r\n", 200,
         "tm80_up{unit=\"127.0.0.2\"} 1\n"},
        {"HEAD /metrics HTTP/1.0\r\n\r\n", 200, ""},
        {"GET /-/healthy HTTP/1.0\r\n\r\n", 200, "Healthy\n"},
        {"GET / HTTP/1.0\r\n\r\n", 200,
         "<!DOCTYPE html>\n<html><head><title>TM80 &lt;Exporter&gt;</title></head>\n"
         "<body><h1>TM80 &lt;Exporter&gt;</h1>\n<p><a href=\"/metrics\">Metrics</a></p>"
         "</body></html>\n"},
    };
    for (const Case& c : cases) {
        const montest::HttpReply reply = Send(c.request);
        EXPECT_EQ(reply.status, c.status) << c.request;
        EXPECT_EQ(reply.body, c.body) << c.request;
    }
    EXPECT_EQ(renders, 3);
}

TEST_F(MetricsServerTest, HostileRequestsGetErrorStatuses) {
    const std::string longPath(20000, 'a');
    const std::string manyHeaders = [] {
        std::string h;
        for (int i = 0; i < 200; ++i) {
            h += "X-" + std::to_string(i) + ": y\r\n";
        }
        return h;
    }();
    struct Case {
        std::string request;
        int status; // 0: closed without an answer
    };
    const Case cases[] = {
        {std::string("\x00\x01\xFF\xFE\r\n\r\n", 8), 400},
        {"GET /metrics\r\n\r\n", 400},
        {"GET /metrics HTTP/9.9\r\n\r\n", 505},
        {"GET /" + longPath + " HTTP/1.1\r\n\r\n", 400},
        {"GET /metrics HTTP/1.1\r\nX: " + std::string(40000, 'a') + "\r\n\r\n", 400},
        {"GET /metrics HTTP/1.1\r\nNoColon\r\n\r\n", 400},
        {"POST /metrics HTTP/1.1\r\nContent-Length: 99999999999999\r\n\r\n", 405},
        {"PUT /metrics HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 405},
        {"DELETE / HTTP/1.1\r\n\r\n", 405},
        {"OPTIONS /metrics HTTP/1.1\r\n\r\n", 405},
        {"CONNECT 127.0.0.2:5000 HTTP/1.1\r\n\r\n", 400},
        {"get /metrics HTTP/1.1\r\n\r\n", 400},
        {"GET /../../etc/passwd HTTP/1.1\r\n\r\n", 404},
        {"GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\n\r\n", 404},
        {"GET /x/../metrics HTTP/1.1\r\n\r\n", 404},
        {"GET /metrics%00 HTTP/1.1\r\n\r\n", 404},
        {"GET /metrics/ HTTP/1.1\r\n\r\n", 404},
        {"GET /index.html HTTP/1.1\r\n\r\n", 404},
        {"GET http://example.org/metrics HTTP/1.1\r\n\r\n", 0},
        {"OPTIONS * HTTP/1.1\r\n\r\n", 0},
        {"\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(c.request).status, c.status) << c.request.substr(0, 60);
    }
    EXPECT_EQ(renders, 0);
    // Still serving after all of it; headers past CivetWeb's 64 are dropped.
    EXPECT_EQ(Send("GET /metrics HTTP/1.1\r\n" + manyHeaders + "\r\n").status, 200);
}

TEST(MetricsServer, ListenAddresses) {
    struct Case {
        const char* given;
        const char* listening; // CivetWeb's form; "" when refused
    };
    const Case cases[] = {
        {":9380", "9380"},          {"127.0.0.2:9380", "127.0.0.2:9380"},
        {"0.0.0.0:1", "0.0.0.0:1"}, {"9380", ""},
        {"localhost:9380", ""},     {"127.0.0.2:", ""},
        {"127.0.0.2:0", ""},        {"127.0.0.2:65536", ""},
        {"127.0.0.2:93a0", ""},     {"[::1]:9380", ""},
        {"127.0.0.2:+9380", ""},    {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MetricsServer::ListeningPort(c.given), c.listening) << c.given;
    }
}
