// Collapses repeats in a stream of trace lines, as system logs do: a line, or
// a group of up to kLongestGroup lines, that comes again and again is passed
// on once, followed by one line saying how many more times it came. An empty
// discovery poll traces the same four lines every millisecond; collapsed, a
// whole discovery window takes a few lines.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class RepeatedLines {
public:
    static constexpr std::size_t kLongestGroup = 8;
    using Emit = std::function<void(const std::string& line)>;

    explicit RepeatedLines(Emit sink) : emit_(std::move(sink)) {}
    ~RepeatedLines() { Flush(); }
    RepeatedLines(const RepeatedLines&) = delete;
    RepeatedLines& operator=(const RepeatedLines&) = delete;

    // One line, without its line end.
    void Add(const std::string& line);
    // Ends a run in progress: its count and any lines held back are passed on.
    void Flush();

    // "---- last line repeated 12 more times ----" or "---- last 4 lines ...".
    static std::string Summary(std::size_t groupLength, long repeats);

private:
    void Pass(const std::string& line);
    // The line `back` places before the end of what was passed on.
    const std::string& Back(std::size_t back) const { return passed_[passed_.size() - back]; }

    Emit emit_;
    std::deque<std::string> passed_; // the last lines passed on, at most kLongestGroup
    std::size_t group_ = 0;          // length of the group being repeated; 0: none
    std::size_t matched_ = 0;        // lines of the current repeat matched so far
    long repeats_ = 0;               // complete repeats so far
    std::vector<std::string> held_;  // lines of a repeat not yet complete
};
