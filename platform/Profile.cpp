#include "Profile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win {

namespace {

// Blanks inside the file; names passed in lose spaces only, as on Windows.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
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

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

struct Line {
    enum Kind { Other, Section, Key };
    std::size_t begin = 0; // first byte of the line
    std::size_t end = 0;   // end of its content, before the line end
    std::size_t next = 0;  // first byte after the line end
    Kind kind = Other;
    std::string_view name;      // section or key name without blanks
    std::size_t valueBegin = 0; // key lines: the value without blanks
    std::size_t valueEnd = 0;
};

Line ParseLine(const std::string& text, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.begin = begin;
    line.end = end;
    line.next = next;
    std::size_t p = begin;
    while (p < end && IsBlank(text[p])) {
        ++p;
    }
    if (p == end || text[p] == ';') {
        return line;
    }
    const std::string_view all(text);
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
        line.kind = Line::Section;
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
    line.kind = Line::Key;
    line.name = all.substr(p, nameEnd - p);
    line.valueBegin = valueBegin;
    line.valueEnd = valueEnd;
    return line;
}

// CRLF, LF and CR all end a line.
std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = begin;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        std::size_t next = end;
        if (next < text.size()) {
            next +=
                (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        }
        lines.push_back(ParseLine(text, begin, end, next));
        begin = next;
    }
    return lines;
}

constexpr int kNone = -1;

struct Place {
    int section = kNone; // the first header of the section
    int sectionEnd = 0;  // the line after its last line
    int key = kNone;     // the first line of the key in that section
    int lastKey = kNone; // the last key line of that section
};

Place Find(const std::vector<Line>& lines, std::string_view section, const char* key) {
    Place place;
    const int count = static_cast<int>(lines.size());
    for (int i = 0; i < count; ++i) {
        if (lines[i].kind == Line::Section && SameName(lines[i].name, section)) {
            place.section = i;
            break;
        }
    }
    if (place.section == kNone) {
        return place;
    }
    const std::string_view wanted = key == nullptr ? std::string_view() : TrimSpaces(key);
    int i = place.section + 1;
    for (; i < count && lines[i].kind != Line::Section; ++i) {
        if (lines[i].kind != Line::Key) {
            continue;
        }
        place.lastKey = i;
        if (key != nullptr && place.key == kNone && SameName(lines[i].name, wanted)) {
            place.key = i;
        }
    }
    place.sectionEnd = i;
    return place;
}

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadWholeFile(const char* path, std::string& text) {
    text.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return ReadResult::Failed;
    }
    char chunk[8192];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            close(fd);
            return ReadResult::Failed;
        }
        text.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    return ReadResult::Read;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes the new content to a temporary file beside the old one and renames it
// over it, so readers see either the old file or the new one, never a part.
bool ReplaceFileContent(const char* path, const std::string& data) {
    std::string target(path);
    struct stat st {};
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
        // Keep the link: replace the file it points to.
        char resolved[PATH_MAX];
        if (realpath(path, resolved) != nullptr) {
            target = resolved;
        }
    }
    const bool existed = stat(target.c_str(), &st) == 0;
    if (existed && (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0)) {
        // The rename would replace a file that may not be written, as a
        // read-only file on Windows may not.
        return false;
    }
    static std::atomic<unsigned> serial{0};
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(serial++);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    if (existed) {
        fchmod(fd, st.st_mode & 07777);
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only a privileged process can give the file away; the content
            // matters more than the owner.
        }
    }
    bool ok = WriteAll(fd, data) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    const int dir = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

} // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* deflt,
                               char* buffer, DWORD size, const char* file) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    if (section == nullptr || key == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    std::string result;
    bool found = false;
    std::string text;
    if (file != nullptr && ReadWholeFile(file, text) == ReadResult::Read) {
        const std::vector<Line> lines = SplitLines(text);
        const Place place = Find(lines, TrimSpaces(section), key);
        if (place.key != kNone) {
            const Line& line = lines[place.key];
            std::string_view value(text.data() + line.valueBegin, line.valueEnd - line.valueBegin);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
            }
            result.assign(value);
            found = true;
        }
    }
    if (!found) {
        result = deflt == nullptr ? "" : deflt;
        while (!result.empty() && result.back() == ' ') {
            result.pop_back();
        }
    }
    const std::size_t count = result.size() < size ? result.size() : size - 1;
    std::memcpy(buffer, result.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* file) {
    if (section == nullptr || file == nullptr) {
        return 0;
    }
    const std::string_view sectionName = TrimSpaces(section);
    const std::string_view keyName = key == nullptr ? std::string_view() : TrimSpaces(key);
    std::string text;
    const ReadResult read = ReadWholeFile(file, text);
    if (read == ReadResult::Failed) {
        return 0;
    }
    const std::string newKeyLine =
        std::string(keyName) + "=" + (value == nullptr ? "" : value) + "\r\n";
    if (read == ReadResult::Missing) {
        if (key == nullptr || value == nullptr) {
            return 1; // nothing to delete
        }
        return ReplaceFileContent(file, "[" + std::string(sectionName) + "]\r\n" + newKeyLine);
    }

    const std::vector<Line> lines = SplitLines(text);
    const Place place = Find(lines, sectionName, key);
    std::string updated;
    if (key == nullptr) {
        if (place.section == kNone) {
            return 1;
        }
        // Drop the header and the key lines; comments and other lines stay.
        updated.reserve(text.size());
        updated.append(text, 0, lines[place.section].begin);
        for (int i = place.section + 1; i < static_cast<int>(lines.size()); ++i) {
            if (i < place.sectionEnd && lines[i].kind == Line::Key) {
                continue;
            }
            updated.append(text, lines[i].begin, lines[i].next - lines[i].begin);
        }
    } else if (value == nullptr) {
        if (place.key == kNone) {
            return 1;
        }
        const Line& line = lines[place.key];
        updated = text.substr(0, line.begin) + text.substr(line.next);
    } else if (place.key != kNone) {
        // Keep the key as spelt and the blanks before the value.
        const Line& line = lines[place.key];
        updated = text.substr(0, line.valueBegin) + value + text.substr(line.end);
    } else if (place.section != kNone) {
        const Line& anchor = lines[place.lastKey != kNone ? place.lastKey : place.section];
        const std::string lineEnd = anchor.next == anchor.end ? "\r\n" : "";
        updated = text.substr(0, anchor.next) + lineEnd + newKeyLine + text.substr(anchor.next);
    } else {
        updated = text;
        if (!updated.empty() && updated.back() != '\n' && updated.back() != '\r') {
            updated += "\r\n";
        }
        updated += "[" + std::string(sectionName) + "]\r\n" + newKeyLine;
    }
    return ReplaceFileContent(file, updated);
}

} // namespace win
