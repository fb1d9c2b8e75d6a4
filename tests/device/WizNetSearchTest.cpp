// Reading the WIZnet search answer.
#include "device/WizNetSearch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct LineCase {
    const char* text;
    const char* code;
    std::optional<std::string> value;
};

TEST(WizNetSearch, FindsCodesAtLineStartsOnly) {
    const LineCase cases[] = {
        {"MC00:08:DC\r\nLI127.1.2.3\r\nST LISTEN\r\n", "LI", "127.1.2.3"},
        {"LI127.1.2.3\r\n", "LI", "127.1.2.3"},                 // the first line
        {"MC00:08:DC\r\nSM255.0.0.0\r\n", "LI", std::nullopt},  // no address line
        {"MNWIZ LINK 1\r\nLI127.0.0.9\r\n", "LI", "127.0.0.9"}, // "LI" inside a value
        {"MNWIZ LINK 1\r\nSM255.0.0.0\r\n", "LI", std::nullopt},
        {"LI10.0.0.9\r\nSTCONNECT\r\n", "ST", "CONNECT"},
        {"STUDP", "ST", "UDP"}, // no CR: up to the end
        {"", "LI", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto found = WizNetSearch::FindLine(c.text, c.code);
        ASSERT_EQ(found.has_value(), c.value.has_value());
        if (found) {
            EXPECT_EQ(std::string(WizNetSearch::LineValue(*found)), *c.value);
        }
    }
}

struct AddressCase {
    const char* afterCode;
    bool ok;
    std::array<std::uint8_t, 4> octets;
};

TEST(WizNetSearch, AddressOctetsTakeTheLowEightBits) {
    const AddressCase cases[] = {
        {"127.168.1.300\r\n", true, {127, 168, 1, 44}},
        {"127.51.0.7\r\nSMx\r\n", true, {127, 51, 0, 7}},
        {"256.257.511.0\r\n", true, {0, 1, 255, 0}},
        {"99999999999.0.0.1\r\n", true, {255, 0, 0, 1}}, // saturates like strtoul
        {" 127.0.0.1 \r\n", true, {127, 0, 0, 1}},
        // Missing separators or numbers: no address at all rather than a wrong one.
        {"127001\r\n", false, {0, 0, 0, 0}},
        {"192.168.1\r\n", false, {0, 0, 0, 0}},
        {"127.168.1.5", false, {0, 0, 0, 0}}, // cut before its CR
        {"192.168..5\r\n", false, {0, 0, 0, 0}},
        {"192.168.1.5x\r\n", false, {0, 0, 0, 0}},
        {"", false, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterCode);
        std::array<std::uint8_t, 4> octets{9, 9, 9, 9};
        EXPECT_EQ(WizNetSearch::ParseAddress(c.afterCode, octets), c.ok);
        EXPECT_EQ(octets, c.octets);
    }
}

} // namespace
