// Just enough of a JSON reader to check tm80ctl's output: strict syntax,
// \u00XX escapes read back as single bytes (the unit's texts are 8-bit).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace minijson {

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text; // string value, or the number as written
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members; // in order

    const Value* Find(const std::string& key) const {
        for (const auto& [name, value] : members) {
            if (name == key) {
                return &value;
            }
        }
        return nullptr;
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const auto& member : members) {
            keys.push_back(member.first);
        }
        return keys;
    }
};

// The value of the whole text (surrounding blanks and one final newline
// allowed), or nothing when it is not valid JSON.
std::optional<Value> Parse(const std::string& text);

} // namespace minijson
