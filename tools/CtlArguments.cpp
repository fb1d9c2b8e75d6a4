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

using Words = std::vector<std::string>;
// Options of the watch command, each with its value.
using WatchOptions = std::vector<std::pair<std::string, std::string>>;
constexpr const char* kWatchOptions[] = {"--interval", "--count"};
constexpr long long kLongestIntervalMs = 24LL * 60 * 60 * 1000;

// What the options say, and the words left between them.
struct ScannedOptions {
    Words words;
    bool help = false;
    bool version = false;
    std::string unknownOption; // the first word starting with "--" that is none of ours
    WatchOptions watchOptions;
};

// Options may stand anywhere; "--" ends them, so that a note can start with
// "-". --json and --trace are set on `parsed` at once.
ScannedOptions ScanOptions(const Words& args, CtlArguments& parsed) {
    ScannedOptions scanned;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isWatchOption = std::find(std::begin(kWatchOptions), std::end(kWatchOptions),
                                             arg) != std::end(kWatchOptions);
        if (!optionsEnded && isWatchOption) {
            scanned.watchOptions.emplace_back(arg, i + 1 < args.size() ? args[++i] : std::string());
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--csv") {
            scanned.watchOptions.emplace_back(arg, std::string());
            parsed.csv = true;
        } else if (!optionsEnded && arg == "--json") {
            parsed.json = true;
        } else if (!optionsEnded && arg == "--trace") {
            parsed.trace = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            scanned.help = true;
        } else if (!optionsEnded && arg == "--version") {
            scanned.version = true;
        } else {
            if (!optionsEnded && scanned.unknownOption.empty() && arg.rfind("--", 0) == 0) {
                scanned.unknownOption = arg;
            }
            scanned.words.push_back(arg);
        }
    }
    return scanned;
}

// The arguments of each command (the words after its name, already counted):
// the first problem found, or an empty text.
std::string NoArguments(const Words&, const WatchOptions&, CtlArguments&) {
    return {};
}

std::string NoteArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    if (!rest.empty()) {
        if (rest[0].size() > kNoteLength) {
            return "the note holds at most 16 characters";
        }
        parsed.writeNote = true;
        parsed.noteText = rest[0];
    }
    return {};
}

std::string SplitArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    return ParseSplit(rest[0], false, parsed.split);
}

std::string BandArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    int output = 0;
    std::string problem = ParseRanged(rest[0], 1, 8, "OUTPUT", output);
    parsed.output = output - 1;
    if (problem.empty()) {
        problem = ParseRanged(rest[1], 0, 7, "POSITION", parsed.band);
    }
    return problem;
}

std::string AdjustArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    std::string problem = ParseRanged(rest[0], 0, 9, "CHANNEL", parsed.channel);
    if (problem.empty()) {
        problem = ParseSaturated(rest[1], -128, 127, "STEPS", parsed.steps);
    }
    return problem;
}

std::string CalibrateArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
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

std::string CalibrationBandArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    std::string problem = ParseSplit(rest[0], true, parsed.split);
    if (problem.empty()) {
        problem = ParseRanged(rest[1], 0, 7, "BAND", parsed.band);
    }
    return problem;
}

std::string FactoryResetArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    return ParseRanged(rest[0], 0, 7, "BAND", parsed.band);
}

std::string FileArguments(const Words& rest, const WatchOptions&, CtlArguments& parsed) {
    if (rest[0].empty()) {
        return "FILE must not be empty";
    }
    parsed.file = rest[0];
    return {};
}

std::string WatchArguments(const Words&, const WatchOptions& options, CtlArguments& parsed) {
    if (parsed.csv && parsed.json) {
        return "watch prints --json or --csv, not both";
    }
    for (const auto& [option, value] : options) {
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
}

struct CommandName {
    const char* name;
    CtlArguments::Command command;
    std::size_t minWords; // words after the command name
    std::size_t maxWords;
    std::string (*parseArguments)(const Words& rest, const WatchOptions& options,
                                  CtlArguments& parsed);
};

constexpr CommandName kCommands[] = {
    {"info", CtlArguments::Command::Info, 0, 0, NoArguments},
    {"status", CtlArguments::Command::Status, 0, 0, NoArguments},
    {"note", CtlArguments::Command::Note, 0, 1, NoteArguments},
    {"flash", CtlArguments::Command::Flash, 0, 0, NoArguments},
    {"split", CtlArguments::Command::Split, 1, 1, SplitArguments},
    {"band", CtlArguments::Command::Band, 2, 2, BandArguments},
    {"adjust", CtlArguments::Command::Adjust, 2, 2, AdjustArguments},
    {"cal", CtlArguments::Command::Calibrate, 4, 4, CalibrateArguments},
    {"cal-band", CtlArguments::Command::CalibrationBand, 2, 2, CalibrationBandArguments},
    {"factory-reset", CtlArguments::Command::FactoryReset, 1, 1, FactoryResetArguments},
    {"watch", CtlArguments::Command::Watch, 0, 0, WatchArguments},
    {"save-setup", CtlArguments::Command::SaveSetup, 1, 1, FileArguments},
    {"recall-setup", CtlArguments::Command::RecallSetup, 1, 1, FileArguments},
};

} // namespace

std::string CtlArguments::Parse(const std::vector<std::string>& args, CtlArguments& parsed) {
    parsed = CtlArguments{};
    const ScannedOptions scanned = ScanOptions(args, parsed);
    const Words& words = scanned.words;
    if (scanned.help) {
        parsed.command = Command::Help;
        return {};
    }
    if (scanned.version) {
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
    if (!scanned.unknownOption.empty()) {
        return "unknown option \"" + scanned.unknownOption + "\"";
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
    if (!scanned.watchOptions.empty() && found->command != Command::Watch) {
        return scanned.watchOptions.front().first + " belongs to watch";
    }
    const Words rest(words.begin() + 2, words.end());
    if (rest.size() < found->minWords || rest.size() > found->maxWords) {
        return std::string("wrong number of arguments for ") + found->name;
    }
    parsed.command = found->command;
    return found->parseArguments(rest, scanned.watchOptions, parsed);
}
