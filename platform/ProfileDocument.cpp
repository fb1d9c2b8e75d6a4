#include "platform/ProfileDocument.h"

#include "platform/CodePage.h"
#include "platform/FileContent.h"

namespace win {

namespace {

// The rules below work alike on 8-bit text and on UTF-16 text.
template <class C> using Text = std::basic_string<C>;
template <class C> using View = std::basic_string_view<C>;

template <class C> Text<C> FromAnsi(std::string_view text);
template <> std::string FromAnsi<char>(std::string_view text) {
    return std::string(text);
}
template <> std::u16string FromAnsi<char16_t>(std::string_view text) {
    return AnsiToUtf16(text);
}

std::string ToAnsi(std::string_view text) {
    return std::string(text);
}
std::string ToAnsi(std::u16string_view text) {
    return Utf16ToAnsi(text);
}

// Blanks inside the file; names passed in lose spaces only, as on Windows.
template <class C> bool IsBlank(C c) {
    return c == ' ' || c == '\t' || c == '\v';
}

template <class C> bool IsLineEnd(C c) {
    return c == '\r' || c == '\n';
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

template <class C> C Folded(C c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<C>(c - 'A' + 'a') : c;
}

template <class C> bool SameName(View<C> a, View<C> b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) {
            return false;
        }
    }
    return true;
}

template <class C> struct Line {
    enum Kind { Other, Section, Key };
    std::size_t begin = 0; // first character of the line
    std::size_t end = 0;   // end of its content, before the line end
    std::size_t next = 0;  // first character after the line end
    Kind kind = Other;
    View<C> name;               // section or key name without blanks
    std::size_t valueBegin = 0; // key lines: the value without blanks
    std::size_t valueEnd = 0;
};

template <class C> Line<C> ParseLine(const Text<C>& text, std::size_t begin, std::size_t end) {
    Line<C> line;
    line.begin = begin;
    line.end = end;
    std::size_t p = begin;
    while (p < end && IsBlank(text[p])) {
        ++p;
    }
    if (p == end || text[p] == ';') {
        return line;
    }
    const View<C> all(text);
    if (text[p] == '[') {
        std::size_t nameBegin = p + 1;
        while (nameBegin < end && IsBlank(text[nameBegin])) {
            ++nameBegin;
        }
        std::size_t nameEnd = nameBegin;
        while (nameEnd < end && text[nameEnd] != ']') {
            ++nameEnd;
        }
        while (nameEnd > nameBegin && IsBlank(text[nameEnd - 1])) {
            --nameEnd;
        }
        line.kind = Line<C>::Section;
        line.name = all.substr(nameBegin, nameEnd - nameBegin);
        return line;
    }
    std::size_t eq = p;
    while (eq < end && text[eq] != '=') {
        ++eq;
    }
    if (eq == end) {
        return line;
    }
    std::size_t nameEnd = eq;
    while (nameEnd > p && IsBlank(text[nameEnd - 1])) {
        --nameEnd;
    }
    std::size_t valueBegin = eq + 1;
    while (valueBegin < end && IsBlank(text[valueBegin])) {
        ++valueBegin;
    }
    std::size_t valueEnd = end;
    while (valueEnd > valueBegin && IsBlank(text[valueEnd - 1])) {
        --valueEnd;
    }
    line.kind = Line<C>::Key;
    line.name = all.substr(p, nameEnd - p);
    line.valueBegin = valueBegin;
    line.valueEnd = valueEnd;
    return line;
}

// The line starting at `begin`; CRLF, LF and CR all end a line.
template <class C> Line<C> LineAt(const Text<C>& text, std::size_t begin) {
    std::size_t end = begin;
    while (end < text.size() && !IsLineEnd(text[end])) {
        ++end;
    }
    std::size_t next = end;
    if (next < text.size()) {
        next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    }
    Line<C> line = ParseLine(text, begin, end);
    line.next = next;
    return line;
}

// Where a section and a key of it are: the first header of the section, the
// first line of the key and the last key line in that section, and where the
// section ends (the next header, or the end of the text).
template <class C> struct Place {
    bool hasSection = false;
    Line<C> header;
    bool hasKey = false;
    Line<C> key;
    bool hasLastKey = false;
    Line<C> lastKey;
    std::size_t sectionEnd = 0;
};

// One pass over the text; with `stopAtKey` it ends at the key (a read).
// `key` null: the section only.
template <class C>
Place<C> Locate(const Text<C>& text, View<C> section, const View<C>* key, bool stopAtKey) {
    Place<C> place;
    for (std::size_t begin = 0; begin < text.size();) {
        const Line<C> line = LineAt(text, begin);
        begin = line.next;
        if (line.kind == Line<C>::Section) {
            if (place.hasSection) {
                place.sectionEnd = line.begin; // only the first section of that name counts
                return place;
            }
            if (SameName(line.name, section)) {
                place.hasSection = true;
                place.header = line;
            }
        } else if (place.hasSection && line.kind == Line<C>::Key) {
            place.hasLastKey = true;
            place.lastKey = line;
            if (key != nullptr && !place.hasKey && SameName(line.name, *key)) {
                place.hasKey = true;
                place.key = line;
                if (stopAtKey) {
                    return place;
                }
            }
        }
    }
    place.sectionEnd = text.size();
    return place;
}

template <class C>
bool LookupIn(const Text<C>& text, std::string_view section, std::string_view key,
              std::string& value) {
    const Text<C> sectionName = FromAnsi<C>(TrimSpaces(section));
    const Text<C> keyName = FromAnsi<C>(TrimSpaces(key));
    const View<C> keyView(keyName);
    const Place<C> place = Locate<C>(text, sectionName, &keyView, true);
    if (!place.hasKey) {
        return false;
    }
    View<C> found(text.data() + place.key.valueBegin, place.key.valueEnd - place.key.valueBegin);
    if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') &&
        found.back() == found.front()) {
        found = found.substr(1, found.size() - 2);
    }
    value = ToAnsi(found);
    return true;
}

// Changes only the characters it has to: a new file is "[Sec]\r\nkey=value\r\n",
// a new section goes at the end, a new key after the last key of its section,
// an existing value is replaced in place.
template <class C>
bool EditIn(Text<C>& text, bool& exists, std::string_view section, const char* key,
            const char* value) {
    const Text<C> crlf = FromAnsi<C>("\r\n");
    const Text<C> sectionName = FromAnsi<C>(TrimSpaces(section));
    const Text<C> keyName = FromAnsi<C>(key == nullptr ? std::string_view() : TrimSpaces(key));
    const Text<C> newValue = FromAnsi<C>(value == nullptr ? "" : value);
    const Text<C> newKeyLine = keyName + FromAnsi<C>("=") + newValue + crlf;
    const Text<C> newSection = FromAnsi<C>("[") + sectionName + FromAnsi<C>("]") + crlf;
    if (!exists) {
        if (key == nullptr || value == nullptr) {
            return false; // nothing to delete
        }
        text = newSection + newKeyLine;
        exists = true;
        return true;
    }

    const View<C> keyView(keyName);
    const Place<C> place = Locate<C>(text, sectionName, key == nullptr ? nullptr : &keyView, false);
    if (key == nullptr) {
        if (!place.hasSection) {
            return false;
        }
        // Drop the header and the key lines; comments and other lines stay.
        Text<C> kept;
        for (std::size_t begin = place.header.next; begin < place.sectionEnd;) {
            const Line<C> line = LineAt(text, begin);
            begin = line.next;
            if (line.kind != Line<C>::Key) {
                kept.append(text, line.begin, line.next - line.begin);
            }
        }
        text.replace(place.header.begin, place.sectionEnd - place.header.begin, kept);
    } else if (value == nullptr) {
        if (!place.hasKey) {
            return false;
        }
        text.erase(place.key.begin, place.key.next - place.key.begin);
    } else if (place.hasKey) {
        // Keep the key as spelt and the blanks before the value.
        text.replace(place.key.valueBegin, place.key.end - place.key.valueBegin, newValue);
    } else if (place.hasSection) {
        const Line<C>& anchor = place.hasLastKey ? place.lastKey : place.header;
        const Text<C> lineEnd = anchor.next == anchor.end ? crlf : Text<C>();
        text.insert(anchor.next, lineEnd + newKeyLine);
    } else {
        if (!text.empty() && !IsLineEnd(text.back())) {
            text += crlf;
        }
        text += newSection + newKeyLine;
    }
    return true;
}

constexpr unsigned char kMarkLow = 0xFF; // FF FE: UTF-16, little-endian
constexpr unsigned char kMarkHigh = 0xFE;

bool StartsWithMark(const std::string& bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == kMarkLow &&
           static_cast<unsigned char>(bytes[1]) == kMarkHigh;
}

} // namespace

bool ProfileDocument::Load(const char* path) {
    *this = ProfileDocument{};
    std::string bytes;
    const FileRead read = ReadWholeFile(path, bytes);
    if (read == FileRead::Failed) {
        usable_ = false;
        return false;
    }
    exists_ = read == FileRead::Read;
    TakeBytes(std::move(bytes));
    return true;
}

void ProfileDocument::TakeBytes(std::string bytes) {
    unicode_ = StartsWithMark(bytes);
    if (!unicode_) {
        ansi_ = std::move(bytes);
        return;
    }
    // An odd last byte holds no whole character.
    ansi_.clear();
    wide_.clear();
    wide_.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        wide_ += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
}

bool ProfileDocument::Lookup(std::string_view section, std::string_view key,
                             std::string& value) const {
    if (!usable_ || !exists_) {
        return false;
    }
    return unicode_ ? LookupIn(wide_, section, key, value) : LookupIn(ansi_, section, key, value);
}

bool ProfileDocument::HasSection(std::string_view section) const {
    if (!usable_ || !exists_) {
        return false;
    }
    if (unicode_) {
        return Locate<char16_t>(wide_, FromAnsi<char16_t>(TrimSpaces(section)), nullptr, true)
            .hasSection;
    }
    return Locate<char>(ansi_, TrimSpaces(section), nullptr, true).hasSection;
}

bool ProfileDocument::Edit(std::string_view section, const char* key, const char* value) {
    if (!usable_) {
        return false;
    }
    if (unicode_) {
        return EditIn(wide_, exists_, section, key, value);
    }
    if (!EditIn(ansi_, exists_, section, key, value)) {
        return false;
    }
    // An edit that leaves the mark at the start (a section before it deleted)
    // makes a file the next read takes for UTF-16, so the rest of a batch does too.
    if (StartsWithMark(ansi_)) {
        TakeBytes(std::move(ansi_));
    }
    return true;
}

std::string ProfileDocument::Bytes() const {
    if (!unicode_) {
        return ansi_;
    }
    std::string bytes;
    bytes.reserve(2 + 2 * wide_.size());
    bytes += static_cast<char>(kMarkLow);
    bytes += static_cast<char>(kMarkHigh);
    for (char16_t c : wide_) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

} // namespace win
