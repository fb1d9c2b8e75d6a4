// A small writer of one-line JSON text for tm80ctl's --json output. Texts of
// the unit are 8-bit; bytes outside printable ASCII are written as \u00XX.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member of the current object.
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    JsonWriter& Integer(std::int64_t value);
    // A number with a fixed count of decimals (values here are exact in them).
    JsonWriter& Fixed(double value, int decimals);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return text_; }

    static std::string Quote(std::string_view text);

private:
    void BeforeValue();

    std::string text_;
    // One entry per open object or array: true until its first member.
    std::vector<bool> first_;
    bool afterKey_ = false;
};
