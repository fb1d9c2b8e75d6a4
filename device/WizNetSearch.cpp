#include "device/WizNetSearch.h"

#include <algorithm>
#include <cstring>

namespace {

// The configuration codes the search asks for, in the order the module expects.
constexpr const char* kCodes[] = {"MC", "VR", "MN", "UN", "ST", "IM", "OP", "DD", "CP", "PO", "DG",
                                  "KA", "KI", "KE", "RI", "LI", "SM", "GW", "DS", "PI", "PP", "DX",
                                  "DP", "DI", "DW", "DH", "LP", "RP", "RH", "BR", "DB", "PR", "SB",
                                  "FL", "IT", "PT", "PS", "PD", "TE", "SS", "NP", "SP"};
static_assert(sizeof kCodes / sizeof kCodes[0] == 42);

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// One unsigned decimal number at `pos` (blanks around it allowed) that must be
// followed by `separator`; its value as a 32-bit strtoul would give it, which
// saturates. Advances `pos` past the separator.
bool ReadNumber(std::string_view text, std::size_t& pos, char separator, std::uint32_t& value) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    std::size_t digits = 0;
    std::uint64_t number = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        number = number * 10 + static_cast<std::uint64_t>(text[pos] - '0');
        if (number > 0xFFFFFFFFu) {
            number = 0xFFFFFFFFu;
        }
        ++pos;
        ++digits;
    }
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    if (digits == 0 || pos >= text.size() || text[pos] != separator) {
        return false;
    }
    ++pos;
    value = static_cast<std::uint32_t>(number);
    return true;
}

} // namespace

std::array<std::uint8_t, WizNetSearch::kRequestSize> WizNetSearch::Request() {
    std::array<std::uint8_t, kRequestSize> request{};
    std::size_t at = 0;
    auto put = [&](const char* text) {
        std::size_t n = std::strlen(text);
        std::memcpy(request.data() + at, text, n);
        at += n;
    };
    put("MA");
    for (int i = 0; i < 6; ++i) {
        request[at++] = 0xFF;
    }
    put("\r\n");
    put("PW \r\n");
    for (const char* code : kCodes) {
        put(code);
        put("\r\n");
    }
    return request;
}

std::optional<std::string_view> WizNetSearch::FindLine(std::string_view text,
                                                       std::string_view code) {
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        if (text.substr(lineStart, code.size()) == code) {
            return text.substr(lineStart + code.size());
        }
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            break;
        }
        lineStart = lineEnd + 1;
    }
    return std::nullopt;
}

std::string_view WizNetSearch::LineValue(std::string_view afterCode) {
    return afterCode.substr(0, afterCode.find('\r'));
}

bool WizNetSearch::ParseAddress(std::string_view afterCode, std::array<std::uint8_t, 4>& octets) {
    octets = {};
    std::array<std::uint8_t, 4> parsed{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        std::uint32_t number = 0;
        if (!ReadNumber(afterCode, pos, i < 3 ? '.' : '\r', number)) {
            return false;
        }
        parsed[i] = static_cast<std::uint8_t>(number & 0xFF);
    }
    octets = parsed;
    return true;
}

WizNetSearch::Answer WizNetSearch::ReadAnswer(const char* buffer, std::size_t size, int length) {
    Answer answer;
    const std::size_t used = length > 0 ? std::min(static_cast<std::size_t>(length), size) : 0;
    if (used > kTextOffset) {
        answer.text = std::string_view(buffer + kTextOffset, used - kTextOffset);
    }
    if (size >= kMacOffset + answer.mac.size()) {
        std::memcpy(answer.mac.data(), buffer + kMacOffset, answer.mac.size());
    }
    if (auto address = FindLine(answer.text, "LI")) {
        answer.hasAddress = true;
        ParseAddress(*address, answer.address);
    }
    if (auto state = FindLine(answer.text, "ST")) {
        answer.state = LineValue(*state);
    }
    return answer;
}
