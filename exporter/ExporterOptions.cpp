#include "exporter/ExporterOptions.h"

#include "metrics/MetricsServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdint>

const char* const kExporterUsage =
    "usage: tm80_exporter [flags]\n"
    "\n"
    "Reads TM80 units in the background and serves their metrics to Prometheus\n"
    "at /metrics. Only read commands are sent to a unit.\n"
    "\n"
    "Flags:\n"
    "  --web.listen-address=HOST:PORT\n"
    "                        where to serve /metrics (default \":9380\": every IPv4\n"
    "                        address, port 9380)\n"
    "  --unit=ADDRESS        a unit to read (dotted IPv4); repeat for more units\n"
    "  --config.file=FILE    units from FILE: one address per line ('#' starts a\n"
    "                        comment), or tm80's system configuration\n"
    "                        (Tm80M1System.CFG: its direct-launch addresses)\n"
    "  --discover            also search the network for units (UDP broadcast) at\n"
    "                        start and every --discover.interval\n"
    "  --discover.interval=DURATION\n"
    "                        time between searches (default 10m)\n"
    "  --poll-interval=DURATION\n"
    "                        time between two reads of a unit (default 5s, at least\n"
    "                        200ms)\n"
    "  --help                print this text\n"
    "  --version             print the version\n"
    "\n"
    "DURATION is a number with a unit, as Prometheus writes them: 500ms, 5s, 1m30s.\n"
    "At least one of --unit, --config.file and --discover is needed.\n"
    "\n"
    "Exit status: 0 after SIGINT or SIGTERM, 1 when the address cannot be\n"
    "listened on or FILE cannot be read, 2 for a usage error.\n";

namespace {

using std::chrono::milliseconds;

struct DurationUnit {
    std::string_view name;
    std::int64_t ms;
};

// Largest first; "ms" before "m" so that it is matched whole.
constexpr DurationUnit kDurationUnits[] = {
    {"y", 365LL * 24 * 3600 * 1000},
    {"w", 7LL * 24 * 3600 * 1000},
    {"d", 24LL * 3600 * 1000},
    {"h", 3600LL * 1000},
    {"ms", 1},
    {"m", 60 * 1000},
    {"s", 1000},
};

// The rank of a unit from the largest down: ms is the smallest.
int Rank(std::string_view name) {
    constexpr std::string_view kOrder[] = {"y", "w", "d", "h", "m", "s", "ms"};
    return static_cast<int>(std::find(std::begin(kOrder), std::end(kOrder), name) -
                            std::begin(kOrder));
}

ExporterCommand Usage(std::string error) {
    ExporterCommand command;
    command.action = ExporterCommand::Action::Usage;
    command.error = std::move(error);
    return command;
}

// Sets a duration flag; an empty text when it fits, else what is wrong.
std::string TakeDuration(const std::string& flag, const std::string& value, milliseconds least,
                         milliseconds& out) {
    const auto duration = ParseDuration(value);
    if (!duration) {
        return flag + " takes a duration such as 5s or 1m30s, not \"" + value + "\"";
    }
    if (*duration < least) {
        return flag + " must be at least " + std::to_string(least.count()) + "ms";
    }
    out = *duration;
    return {};
}

std::string TakeFlag(const std::string& flag, const std::string& value, ExporterOptions& o) {
    if (flag == "--web.listen-address") {
        if (metrics::MetricsServer::ListeningPort(value).empty()) {
            return "--web.listen-address takes HOST:PORT or :PORT (HOST a dotted IPv4 address), "
                   "not \"" +
                   value + "\"";
        }
        o.listenAddress = value;
    } else if (flag == "--unit") {
        if (!IsUnitAddress(value)) {
            return "--unit takes a unit's IPv4 address, not \"" + value + "\"";
        }
        if (std::find(o.units.begin(), o.units.end(), value) == o.units.end()) {
            o.units.push_back(value);
        }
    } else if (flag == "--config.file") {
        o.configFile = value;
    } else if (flag == "--poll-interval") {
        return TakeDuration(flag, value, ExporterOptions::kShortestPollInterval, o.pollInterval);
    } else if (flag == "--discover.interval") {
        return TakeDuration(flag, value, std::chrono::seconds(10), o.discoverInterval);
    }
    return {};
}

} // namespace

std::optional<milliseconds> ParseDuration(std::string_view text) {
    if (text == "0") {
        return milliseconds(0);
    }
    std::int64_t total = 0;
    int lastRank = -1;
    std::size_t i = 0;
    if (text.empty()) {
        return std::nullopt;
    }
    while (i < text.size()) {
        std::int64_t number = 0;
        const std::size_t digits = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
            number = number * 10 + (text[i] - '0');
            if (number > 1000000000) {
                return std::nullopt;
            }
            ++i;
        }
        const auto* unit = std::find_if(
            std::begin(kDurationUnits), std::end(kDurationUnits),
            [&](const DurationUnit& u) { return text.substr(i, u.name.size()) == u.name; });
        if (i == digits || unit == std::end(kDurationUnits) || Rank(unit->name) <= lastRank) {
            return std::nullopt;
        }
        lastRank = Rank(unit->name);
        i += unit->name.size();
        total += number * unit->ms;
        if (total > std::int64_t{1} << 52) {
            return std::nullopt;
        }
    }
    return milliseconds(total);
}

bool IsUnitAddress(const std::string& text) {
    in_addr parsed{};
    return ::inet_pton(AF_INET, text.c_str(), &parsed) == 1 && parsed.s_addr != INADDR_ANY &&
           parsed.s_addr != INADDR_BROADCAST;
}

ExporterCommand ParseExporterCommand(const std::vector<std::string>& args) {
    static const std::string kValueFlags[] = {"--web.listen-address", "--unit", "--config.file",
                                              "--poll-interval", "--discover.interval"};
    ExporterCommand command;
    ExporterOptions& o = command.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            command.action = ExporterCommand::Action::Help;
            return command;
        }
        if (word == "--version") {
            command.action = ExporterCommand::Action::Version;
            return command;
        }
        if (word == "--discover") {
            o.discover = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string flag = word.substr(0, equals);
        if (std::find(std::begin(kValueFlags), std::end(kValueFlags), flag) ==
            std::end(kValueFlags)) {
            return Usage("unknown flag: " + word);
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Usage(flag + " needs a value");
        }
        if (std::string problem = TakeFlag(flag, value, o); !problem.empty()) {
            return Usage(problem);
        }
    }
    if (o.units.empty() && o.configFile.empty() && !o.discover) {
        return Usage("no units: give --unit, --config.file or --discover");
    }
    return command;
}
