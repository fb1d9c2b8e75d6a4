#include "tools/CtlArguments.h"

#include "platform/WinSock.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <iterator>
#include <netinet/in.h>
#include <utility>

namespace {

constexpr std::size_t kNoteLength = 16;

bool ParseInteger(const std::string& text, long long& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last;
}

// An integer in [low, high]; `what` names it in the complaint.
std::string ParseRanged(const std::string& text, long long low, long long high, const char* what,
                        int& out) {
    long long value = 0;
    if (!ParseInteger(text, value) || value < low || value > high) {
        return std::string(what) + " must be " + std::to_string(low) + ".." + std::to_string(high) +
               ", not \"" + text + "\"";
    }
    out = static_cast<int>(value);
    return {};
}

// An integer of any size, saturated to [low, high].
std::string ParseSaturated(const std::string& text, long long low, long long high, const char* what,
                           int& out) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    bool whole = end == text.data() + text.size() && !text.empty();
    if (error == std::errc::result_out_of_range && whole) {
        value = text[0] == '-' ? LLONG_MIN : LLONG_MAX;
    } else if (error != std::errc() || !whole) {
        return std::string(what) + " must be a whole number, not \"" + text + "\"";
    }
    out = static_cast<int>(std::clamp(value, low, high));
    return {};
}

// "1:8" or "2:4"; with `numeric`, also 0 or 1.
std::string ParseSplit(const std::string& text, bool numeric, int& out) {
    if (text == "1:8" || (numeric && text == "0")) {
        out = 0;
        return {};
    }
    if (text == "2:4" || (numeric && text == "1")) {
        out = 1;
        return {};
    }
    return std::string("SPLIT must be 1:8 or 2:4") + (numeric ? " (or 0 or 1)" : "") + ", not \"" +
           text + "\"";
}

bool IsAddress(const std::string& text) {
    in_addr address{};
    return win::inet_pton(AF_INET, text.c_str(), &address) == 1;
}

struct CommandName {
    const char* name;
    CtlArguments::Command command;
    std::size_t minWords; // words after the command name
    std::size_t maxWords;
};

constexpr CommandName kCommands[] = {
    {"info", CtlArguments::Command::Info, 0, 0},
    {"status", CtlArguments::Command::Status, 0, 0},
    {"note", CtlArguments::Command::Note, 0, 1},
    {"flash", CtlArguments::Command::Flash, 0, 0},
    {"split", CtlArguments::Command::Split, 1, 1},
    {"band", CtlArguments::Command::Band, 2, 2},
    {"adjust", CtlArguments::Command::Adjust, 2, 2},
    {"cal", CtlArguments::Command::Calibrate, 4, 4},
    {"cal-band", CtlArguments::Command::CalibrationBand, 2, 2},
    {"factory-reset", CtlArguments::Command::FactoryReset, 1, 1},
    {"watch", CtlArguments::Command::Watch, 0, 0},
    {"save-setup", CtlArguments::Command::SaveSetup, 1, 1},
    {"recall-setup", CtlArguments::Command::RecallSetup, 1, 1},
};

// Options of the watch command, each with its value.
constexpr const char* kWatchOptions[] = {"--interval", "--count"};
constexpr long long kLongestIntervalMs = 24LL * 60 * 60 * 1000;

} // namespace

std::string CtlArguments::Parse(const std::vector<std::string>& args, CtlArguments& parsed) {
    parsed = CtlArguments{};
    // Options may stand anywhere; "--" ends them, so that a note can start with "-".
    std::vector<std::string> words;
    bool optionsEnded = false;
    bool help = false;
    bool version = false;
    std::string unknownOption;
    std::vector<std::pair<std::string, std::string>> watchOptions;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isWatchOption = std::find(std::begin(kWatchOptions), std::end(kWatchOptions),
                                             arg) != std::end(kWatchOptions);
        if (!optionsEnded && isWatchOption) {
            watchOptions.emplace_back(arg, i + 1 < args.size() ? args[++i] : std::string());
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--csv") {
            watchOptions.emplace_back(arg, std::string());
            parsed.csv = true;
        } else if (!optionsEnded && arg == "--json") {
            parsed.json = true;
        } else if (!optionsEnded && arg == "--trace") {
            parsed.trace = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            help = true;
        } else if (!optionsEnded && arg == "--version") {
            version = true;
        } else {
            if (!optionsEnded && unknownOption.empty() && arg.rfind("--", 0) == 0) {
                unknownOption = arg;
            }
            words.push_back(arg);
        }
    }
    if (help) {
        parsed.command = Command::Help;
        return {};
    }
    if (version) {
        parsed.command = Command::Version;
        return {};
    }
    if (words.empty()) {
        return "no unit address given";
    }
    if (words[0] == "discover") {
        parsed.command = Command::Discover;
        parsed.discoverArgs.assign(words.begin() + 1, words.end());
        return {};
    }
    // Options other than ours belong to discover only.
    if (!unknownOption.empty()) {
        return "unknown option \"" + unknownOption + "\"";
    }
    if (!IsAddress(words[0])) {
        return "\"" + words[0] + "\" is not a dotted IPv4 address";
    }
    parsed.address = words[0];
    if (words.size() < 2) {
        return "no command given";
    }
    const CommandName* found = nullptr;
    for (const auto& entry : kCommands) {
        if (words[1] == entry.name) {
            found = &entry;
        }
    }
    if (found == nullptr) {
        return "unknown command \"" + words[1] + "\"";
    }
    if (!watchOptions.empty() && found->command != Command::Watch) {
        return watchOptions.front().first + " belongs to watch";
    }
    std::vector<std::string> rest(words.begin() + 2, words.end());
    if (rest.size() < found->minWords || rest.size() > found->maxWords) {
        return std::string("wrong number of arguments for ") + found->name;
    }
    parsed.command = found->command;

    switch (parsed.command) {
    case Command::Note:
        if (!rest.empty()) {
            if (rest[0].size() > kNoteLength) {
                return "the note holds at most 16 characters";
            }
            parsed.writeNote = true;
            parsed.noteText = rest[0];
        }
        return {};
    case Command::Split:
        return ParseSplit(rest[0], false, parsed.split);
    case Command::Band: {
        int output = 0;
        std::string problem = ParseRanged(rest[0], 1, 8, "OUTPUT", output);
        parsed.output = output - 1;
        if (problem.empty()) {
            problem = ParseRanged(rest[1], 0, 7, "POSITION", parsed.band);
        }
        return problem;
    }
    case Command::Adjust: {
        std::string problem = ParseRanged(rest[0], 0, 9, "CHANNEL", parsed.channel);
        if (problem.empty()) {
            problem = ParseSaturated(rest[1], -128, 127, "STEPS", parsed.steps);
        }
        return problem;
    }
    case Command::Calibrate: {
        std::string problem = ParseRanged(rest[0], 0, 7, "BAND", parsed.band);
        if (problem.empty()) {
            problem = ParseSplit(rest[1], true, parsed.split);
        }
        if (problem.empty()) {
            problem = ParseRanged(rest[2], 0, 9, "CHANNEL", parsed.channel);
        }
        if (problem.empty()) {
            problem = ParseSaturated(rest[3], 0, 255, "VALUE", parsed.value);
        }
        return problem;
    }
    case Command::CalibrationBand: {
        std::string problem = ParseSplit(rest[0], true, parsed.split);
        if (problem.empty()) {
            problem = ParseRanged(rest[1], 0, 7, "BAND", parsed.band);
        }
        return problem;
    }
    case Command::FactoryReset:
        return ParseRanged(rest[0], 0, 7, "BAND", parsed.band);
    case Command::SaveSetup:
    case Command::RecallSetup:
        if (rest[0].empty()) {
            return "FILE must not be empty";
        }
        parsed.file = rest[0];
        return {};
    case Command::Watch:
        if (parsed.csv && parsed.json) {
            return "watch prints --json or --csv, not both";
        }
        for (const auto& [option, value] : watchOptions) {
            long long number = 0;
            if (option == "--csv") {
                continue;
            }
            if (option == "--interval") {
                if (!ParseInteger(value, number) || number < 200 || number > kLongestIntervalMs) {
                    return "--interval takes milliseconds, 200 or more, not \"" + value + "\"";
                }
                parsed.intervalMs = static_cast<int>(number);
            } else {
                if (!ParseInteger(value, number) || number < 1) {
                    return "--count takes a number of readings, 1 or more, not \"" + value + "\"";
                }
                parsed.count = static_cast<long>(number);
            }
        }
        return {};
    default:
        return {};
    }
}
