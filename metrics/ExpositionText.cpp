#include "metrics/ExpositionText.h"

#include "platform/CodePage.h"

#include <charconv>
#include <cmath>

namespace metrics {

void ExpositionText::Family(std::string_view name, std::string_view help, MetricType type) {
    name_ = name;
    help_ = help;
    type_ = type;
    headerWritten_ = false;
}

void ExpositionText::Sample(std::initializer_list<Label> labels, double value) {
    if (!headerWritten_) {
        text_ += "# HELP ";
        text_ += name_;
        text_ += ' ';
        for (char c : help_) {
            if (c == '\\') {
                text_ += "\\\\";
            } else if (c == '\n') {
                text_ += "\\n";
            } else {
                text_ += c;
            }
        }
        text_ += "\n# TYPE ";
        text_ += name_;
        text_ += type_ == MetricType::Counter ? " counter\n" : " gauge\n";
        headerWritten_ = true;
    }
    text_ += name_;
    if (labels.size() != 0) {
        char separator = '{';
        for (const Label& label : labels) {
            text_ += separator;
            text_ += label.name;
            text_ += "=\"";
            AppendLabelValue(text_, label.value);
            text_ += '"';
            separator = ',';
        }
        text_ += '}';
    }
    text_ += ' ';
    AppendNumber(text_, value);
    text_ += '\n';
}

void ExpositionText::AppendLabelValue(std::string& out, std::string_view utf8) {
    for (char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
            break;
        }
    }
}

void ExpositionText::AppendNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
    } else if (std::isinf(value)) {
        out += value > 0 ? "+Inf" : "-Inf";
    } else {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        out.append(text, end);
    }
}

std::string UnitTextToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // Every character of the code page lies in the Basic Multilingual Plane.
    for (char16_t c : win::AnsiToUtf16(text)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace metrics
