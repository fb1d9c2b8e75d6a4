#include "infra/RepeatedLines.h"

void RepeatedLines::Add(const std::string& line) {
    if (group_ > 0) {
        if (line == Back(group_ - matched_)) {
            held_.push_back(line);
            if (++matched_ == group_) {
                ++repeats_;
                matched_ = 0;
                held_.clear();
            }
            return;
        }
        Flush();
    }
    // A line that came one to kLongestGroup lines ago may start a repeat of
    // the lines since; the shortest such group is tried.
    for (std::size_t back = 1; back <= passed_.size(); ++back) {
        if (line == Back(back)) {
            group_ = back;
            matched_ = 0;
            repeats_ = 0;
            Add(line);
            return;
        }
    }
    Pass(line);
}

void RepeatedLines::Flush() {
    if (group_ == 0) {
        return;
    }
    if (repeats_ > 0) {
        emit_(Summary(group_, repeats_));
    }
    group_ = 0;
    matched_ = 0;
    repeats_ = 0;
    std::vector<std::string> held;
    held.swap(held_);
    for (const std::string& line : held) {
        Pass(line);
    }
}

std::string RepeatedLines::Summary(std::size_t groupLength, long repeats) {
    const std::string what = groupLength == 1 ? "line" : std::to_string(groupLength) + " lines";
    return "---- last " + what + " repeated " + std::to_string(repeats) + " more times ----";
}

void RepeatedLines::Pass(const std::string& line) {
    emit_(line);
    passed_.push_back(line);
    if (passed_.size() > kLongestGroup) {
        passed_.pop_front();
    }
}
