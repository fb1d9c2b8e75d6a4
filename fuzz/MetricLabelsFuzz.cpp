// The metrics text after one successful read of a unit whose serial, note,
// product, firmware and model are the input's texts (each ended by a 0 byte).
// Checked by a reader of the format written apart from the writer: every line
// is a HELP, a TYPE or a sample line; label values use only the escapes \\, \"
// and \n and are valid UTF-8; tm80_info's labels are the unit's texts in
// UTF-8, and these go back to the very bytes the unit sent.
#include "fuzz/FuzzSupport.h"
#include "metrics/ExpositionText.h"
#include "metrics/FleetMetrics.h"
#include "platform/CodePage.h"

#include <map>
#include <tuple>

namespace {

using fuzz::Check;

// Strict UTF-8 of the Basic Multilingual Plane (all the code page gives) as
// UTF-16; aborts on anything else.
std::u16string Utf16(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 0;
        Check(length != 0 && i + length <= text.size());
        char16_t unit = length == 1 ? c : length == 2 ? c & 0x1F : c & 0x0F;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            Check((next & 0xC0) == 0x80);
            unit = static_cast<char16_t>((unit << 6) | (next & 0x3F));
        }
        out += unit;
        i += length;
    }
    return out;
}

// The labels of one sample line; aborts on anything the format does not allow.
std::map<std::string, std::string> SampleLabels(std::string_view line) {
    std::map<std::string, std::string> labels;
    std::size_t i = line.find_first_of("{ ");
    Check(i != std::string_view::npos && i > 0);
    if (line[i] == '{') {
        ++i;
        while (line[i] != '}') {
            const std::size_t equals = line.find("=\"", i);
            Check(equals != std::string_view::npos);
            const std::string name(line.substr(i, equals - i));
            std::string value;
            for (i = equals + 2; line.at(i) != '"'; ++i) {
                if (line[i] == '\\') {
                    const char escaped = line.at(++i);
                    Check(escaped == '\\' || escaped == '"' || escaped == 'n');
                    value += escaped == 'n' ? '\n' : escaped;
                } else {
                    value += line[i];
                }
            }
            Utf16(value);
            labels[name] = value;
            i += line.at(i + 1) == ',' ? 2 : 1;
        }
        ++i;
    }
    Check(line.at(i) == ' ' && line.find(' ', i + 1) == std::string_view::npos);
    return labels;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    metrics::UnitReading reading;
    const auto [texts, rest] = fuzz::SplitFields<5>(data, size);
    std::tie(reading.serial, reading.note, reading.product, reading.firmware, reading.model) =
        std::tuple_cat(texts);
    reading.monitoring = true;
    metrics::FleetMetrics fleet(std::chrono::seconds(10), "1.0");
    fleet.RecordSuccess("127.0.0.2", reading);
    const std::string text = fleet.Render();
    Utf16(text);
    Check(!text.empty() && text.back() == '\n');

    bool infoSeen = false;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        const std::string_view line(text.data() + start, end - start);
        if (line.starts_with("# HELP ") || line.starts_with("# TYPE ")) {
            continue;
        }
        const auto labels = SampleLabels(line);
        if (!line.starts_with("tm80_info{")) {
            continue;
        }
        infoSeen = true;
        constexpr const char* kNames[] = {"serial", "note", "product", "firmware", "model"};
        for (std::size_t k = 0; k < texts.size(); ++k) {
            Check(labels.at(kNames[k]) == metrics::UnitTextToUtf8(texts[k]));
            Check(win::Utf16ToAnsi(Utf16(labels.at(kNames[k]))) == texts[k]);
        }
    }
    Check(infoSeen);
    return 0;
}
