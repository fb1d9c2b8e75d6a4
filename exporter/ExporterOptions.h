// tm80_exporter's command line, in the manner of Prometheus' exporters:
// "--flag=value" or "--flag value", durations such as "5s", "1m30s", "500ms".
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ExporterOptions {
    static constexpr std::chrono::milliseconds kShortestPollInterval{200};

    std::string listenAddress = ":9380";
    std::vector<std::string> units; // --unit, then the file's, without repeats
    std::string configFile;
    bool discover = false;
    std::chrono::milliseconds discoverInterval = std::chrono::minutes(10);
    std::chrono::milliseconds pollInterval = std::chrono::seconds(5);
};

struct ExporterCommand {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    ExporterOptions options;
    std::string error; // with Usage
};

// The words after the program name. Reads nothing but the words: the units
// of --config.file are added by ReadUnitList.
ExporterCommand ParseExporterCommand(const std::vector<std::string>& args);

// A Prometheus duration: numbers with units y, w, d, h, m, s, ms, each at
// most once and from the largest down ("1h30m"), or "0".
std::optional<std::chrono::milliseconds> ParseDuration(std::string_view text);

// A unit's address: dotted IPv4, neither 0.0.0.0 nor 255.255.255.255.
bool IsUnitAddress(const std::string& text);

extern const char* const kExporterUsage;
