#include "tests/tools/MiniJson.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace minijson {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    bool ReadDocument(Value& value) {
        Blank();
        if (!ReadValue(value)) {
            return false;
        }
        Blank();
        return i_ == s_.size();
    }

private:
    void Blank() {
        while (i_ < s_.size() && std::strchr(" \t\r\n", s_[i_]) != nullptr) {
            ++i_;
        }
    }
    bool Literal(const char* word) {
        std::size_t n = std::strlen(word);
        if (s_.compare(i_, n, word) != 0) {
            return false;
        }
        i_ += n;
        return true;
    }
    bool ReadValue(Value& value) {
        if (i_ >= s_.size()) {
            return false;
        }
        char c = s_[i_];
        if (c == '{') {
            return ReadObject(value);
        }
        if (c == '[') {
            return ReadArray(value);
        }
        if (c == '"') {
            value.kind = Value::Kind::String;
            return ReadString(value.text);
        }
        if (Literal("true")) {
            value.kind = Value::Kind::Bool;
            value.boolean = true;
            return true;
        }
        if (Literal("false")) {
            value.kind = Value::Kind::Bool;
            return true;
        }
        if (Literal("null")) {
            return true;
        }
        return ReadNumber(value);
    }
    bool ReadNumber(Value& value) {
        std::size_t start = i_;
        if (i_ < s_.size() && s_[i_] == '-') {
            ++i_;
        }
        std::size_t digits = i_;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
            ++i_;
        }
        if (i_ == digits || (s_[digits] == '0' && i_ - digits > 1)) {
            return false;
        }
        if (i_ < s_.size() && s_[i_] == '.') {
            std::size_t fraction = ++i_;
            while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
                ++i_;
            }
            if (i_ == fraction) {
                return false;
            }
        }
        value.kind = Value::Kind::Number;
        value.text = s_.substr(start, i_ - start);
        value.number = std::strtod(value.text.c_str(), nullptr);
        return true;
    }
    bool ReadString(std::string& out) {
        ++i_; // opening quote
        while (i_ < s_.size()) {
            auto c = static_cast<unsigned char>(s_[i_++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (i_ >= s_.size()) {
                return false;
            }
            char e = s_[i_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                if (i_ + 4 > s_.size()) {
                    return false;
                }
                std::string hex = s_.substr(i_, 4);
                char* end = nullptr;
                long code = std::strtol(hex.c_str(), &end, 16);
                if (end != hex.c_str() + 4 || code > 0xFF) {
                    return false; // our texts are single bytes
                }
                out += static_cast<char>(code);
                i_ += 4;
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }
    bool ReadArray(Value& value) {
        value.kind = Value::Kind::Array;
        ++i_;
        Blank();
        if (i_ < s_.size() && s_[i_] == ']') {
            ++i_;
            return true;
        }
        for (;;) {
            Value item;
            Blank();
            if (!ReadValue(item)) {
                return false;
            }
            value.items.push_back(std::move(item));
            Blank();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            if (i_ < s_.size() && s_[i_] == ']') {
                ++i_;
                return true;
            }
            return false;
        }
    }
    bool ReadObject(Value& value) {
        value.kind = Value::Kind::Object;
        ++i_;
        Blank();
        if (i_ < s_.size() && s_[i_] == '}') {
            ++i_;
            return true;
        }
        for (;;) {
            Blank();
            std::string key;
            if (i_ >= s_.size() || s_[i_] != '"' || !ReadString(key)) {
                return false;
            }
            Blank();
            if (i_ >= s_.size() || s_[i_++] != ':') {
                return false;
            }
            Blank();
            Value member;
            if (!ReadValue(member)) {
                return false;
            }
            value.members.emplace_back(std::move(key), std::move(member));
            Blank();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            if (i_ < s_.size() && s_[i_] == '}') {
                ++i_;
                return true;
            }
            return false;
        }
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

} // namespace

std::optional<Value> Parse(const std::string& text) {
    Value value;
    Reader reader(text);
    if (!reader.ReadDocument(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace minijson
