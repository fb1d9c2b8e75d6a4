// The search request of the WIZnet module's configuration protocol and the
// reading of the module's answer.
//
// Request: "MA", six bytes FF, CR LF, "PW " (empty password), CR LF, then the
// 42 two-letter codes each with CR LF. Answer: "MA", the MAC address, CR LF,
// then one line per code: the code, its value, CR LF.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

class WizNetSearch {
public:
    static constexpr std::size_t kRequestSize = 183;
    static constexpr std::uint16_t kDefaultPort = 50001;
    static constexpr const char* kDefaultBroadcastAddress = "255.255.255.255";
    static constexpr std::size_t kMacOffset = 2;   // answer bytes 2..7
    static constexpr std::size_t kTextOffset = 10; // answer lines start at byte 10
    static constexpr int kAnswerBufferSize = 500;  // the discovery's receive buffer

    static std::array<std::uint8_t, kRequestSize> Request();

    // The text following the two-letter `code` of the first line that starts
    // with it, up to the end of `text` (the line's CR and what follows
    // included); nothing when no line starts with the code. Codes are matched
    // at line starts only, so a value such as a module name that happens to
    // contain "LI" is not taken for the address line.
    static std::optional<std::string_view> FindLine(std::string_view text, std::string_view code);

    // The value of a line found by FindLine, up to its CR (or the end of text).
    static std::string_view LineValue(std::string_view afterCode);

    // Reads the "LI" value: three decimal numbers each ended by ".", a fourth
    // ended by CR; the low 8 bits of each number make the octet (127.0.1.300
    // gives 127.0.1.44). False, with the octets 0.0.0.0, when a number or a
    // separator is missing: such a module must not be listed with a wrong
    // address, and the connect to 0.0.0.0 is refused.
    static bool ParseAddress(std::string_view afterCode, std::array<std::uint8_t, 4>& octets);

    // What the discovery takes from one answer.
    struct Answer {
        std::string_view text;                 // the lines: byte 10 to the end of the answer
        std::array<std::uint8_t, 6> mac{};     // bytes 2..7 of the receive buffer
        bool hasAddress = false;               // an "LI" line is there
        std::array<std::uint8_t, 4> address{}; // its octets; 0.0.0.0 when it does not read
        std::optional<std::string_view> state; // the "ST" value up to its CR
    };
    // Reads the answer that fills the first `length` bytes of the receive
    // buffer (`size` bytes; length 0 or less for an empty poll). The MAC
    // address comes from the buffer even when the answer is shorter, as the
    // buffer keeps what an earlier answer left.
    static Answer ReadAnswer(const char* buffer, std::size_t size, int length);
};
