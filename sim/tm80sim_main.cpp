// tm80sim: runs simulated TM80 units (each with its WIZnet module) until
// SIGINT or SIGTERM.
#include "sim/SimUnit.h"
#include "sim/SpellSchedule.h"

#include "Version.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kUsage =
    "usage: tm80sim [options] --unit ADDRESS [[options] --unit ADDRESS ...]\n"
    "\n"
    "Runs simulated TM80 units on loopback addresses until SIGINT or SIGTERM.\n"
    "Options apply to the --unit options that follow them:\n"
    "  --unit ADDRESS           a unit listening on ADDRESS (127.x.y.z)\n"
    "  --model 80M1|80C2        model code of the following units (default 80M1)\n"
    "  --note TEXT              user note of the next unit only (default \"UNIT n\")\n"
    "  --temperature C          system temperature of the following units, fixed\n"
    "                           (-128..127 degrees C; default: drifts around 41);\n"
    "                           above 80 the application raises its alarm\n"
    "  --fault NAME[=PARAM]     fault of the following units (MS, N and TYPE are\n"
    "                           required where shown): None, Silent, HeaderOnly,\n"
    "                           SlowBytes=MS, DelayedReply=MS, CloseAfterFrames=N,\n"
    "                           Reset, Garbage, NotListening\n"
    "  --module-fault NAME[=PARAM]  module fault of the following units: None, NoLI,\n"
    "                           UnitType=TYPE (0..255; 0 answers 0x17),\n"
    "                           InvalidTypeReply, LIOctetAbove255[=N],\n"
    "                           LIMissingSeparators, SilentTcp, DelayedAnswer=MS,\n"
    "                           ListenState\n"
    "  --single-client          the following units serve one TCP client at a time, as\n"
    "                           a module with one socket: while a client is connected,\n"
    "                           further connects are refused\n"
    "  --spell FROM-TO:SETTING  a spell of the following units, FROM to TO seconds\n"
    "                           after the start (repeatable): SETTING is\n"
    "                           temperature=C or fault=NAME[=PARAM]; then each unit\n"
    "                           goes back to its own temperature or fault\n"
    "  --no-module              the following units have no WIZnet module\n"
    "  --module                 the following units have a WIZnet module (default)\n"
    "  --port N                 TCP port of the following units (default 5000)\n"
    "  --discovery-port N       UDP port of the modules (default 50001)\n"
    "  --help                   this text\n"
    "  --version                the version\n";

// A fault by name; `param` tells whether "=PARAM" must, may or must not follow.
enum class Param { None, Required, Optional };

struct Named {
    const char* name;
    int value;
    Param param = Param::None;
    long low = 0;
    long high = 0;
    const char* what = ""; // the parameter's name in --help
};

constexpr long kMostMs = 1000000;

constexpr Named kFaults[] = {
    {"None", static_cast<int>(sim::Fault::None)},
    {"Silent", static_cast<int>(sim::Fault::Silent)},
    {"HeaderOnly", static_cast<int>(sim::Fault::HeaderOnly)},
    {"SlowBytes", static_cast<int>(sim::Fault::SlowBytes), Param::Required, 0, kMostMs, "MS"},
    {"DelayedReply", static_cast<int>(sim::Fault::DelayedReply), Param::Required, 0, kMostMs, "MS"},
    {"CloseAfterFrames", static_cast<int>(sim::Fault::CloseAfterFrames), Param::Required, 0,
     kMostMs, "N"},
    {"Reset", static_cast<int>(sim::Fault::Reset)},
    {"Garbage", static_cast<int>(sim::Fault::Garbage)},
    {"NotListening", static_cast<int>(sim::Fault::NotListening)},
};

constexpr Named kModuleFaults[] = {
    {"None", static_cast<int>(sim::ModuleFault::None)},
    {"NoLI", static_cast<int>(sim::ModuleFault::NoLI)},
    {"UnitType", static_cast<int>(sim::ModuleFault::UnitType), Param::Required, 0, 255, "TYPE"},
    {"InvalidTypeReply", static_cast<int>(sim::ModuleFault::InvalidTypeReply)},
    {"LIOctetAbove255", static_cast<int>(sim::ModuleFault::LIOctetAbove255), Param::Optional, 0,
     kMostMs, "N"},
    {"LIMissingSeparators", static_cast<int>(sim::ModuleFault::LIMissingSeparators)},
    {"SilentTcp", static_cast<int>(sim::ModuleFault::SilentTcp)},
    {"DelayedAnswer", static_cast<int>(sim::ModuleFault::DelayedAnswer), Param::Required, 0,
     kMostMs, "MS"},
    {"ListenState", static_cast<int>(sim::ModuleFault::ListenState)},
};

bool ParseNumber(const std::string& text, long low, long high, long& out) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || v < low || v > high) {
        return false;
    }
    out = v;
    return true;
}

// "NAME" or "NAME=PARAM" against a table of faults (`kind` names it in the
// complaint). An empty text when it fits, else what is wrong with it.
template <std::size_t N>
std::string ParseNamed(const std::string& text, const Named (&table)[N], const char* kind,
                       int& value, int& param) {
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const Named* found = nullptr;
    for (const Named& n : table) {
        if (name == n.name) {
            found = &n;
        }
    }
    if (found == nullptr) {
        return std::string("unknown ") + kind + ": " + text;
    }
    long p = 0;
    if (equals == std::string::npos) {
        if (found->param == Param::Required) {
            return std::string(kind) + " " + name + " needs a parameter: " + name + "=" +
                   found->what;
        }
    } else if (found->param == Param::None) {
        return std::string(kind) + " " + name + " takes no parameter";
    } else if (!ParseNumber(text.substr(equals + 1), found->low, found->high, p)) {
        return "bad parameter of " + std::string(kind) + " " + name + ": \"" +
               text.substr(equals + 1) + "\" (" + found->what + " is a number " +
               std::to_string(found->low) + ".." + std::to_string(found->high) + ")";
    }
    value = found->value;
    param = static_cast<int>(p);
    return {};
}

constexpr long kLongestSpellS = 7L * 24 * 60 * 60;
constexpr const char* kSpellForm =
    "--spell takes FROM-TO:temperature=C or FROM-TO:fault=NAME[=PARAM]";

// "FROM-TO:temperature=C" or "FROM-TO:fault=NAME[=PARAM]"; an empty text
// when it fits, else what is wrong with it.
std::string ParseSpell(const std::string& text, sim::Spell& spell) {
    const std::size_t dash = text.find('-');
    const std::size_t colon = text.find(':');
    long from = 0;
    long to = 0;
    if (dash == std::string::npos || colon == std::string::npos || dash > colon ||
        !ParseNumber(text.substr(0, dash), 0, kLongestSpellS, from) ||
        !ParseNumber(text.substr(dash + 1, colon - dash - 1), 0, kLongestSpellS, to)) {
        return kSpellForm;
    }
    if (to <= from) {
        return "a spell ends after it begins: " + text;
    }
    spell.fromS = static_cast<int>(from);
    spell.toS = static_cast<int>(to);
    const std::string setting = text.substr(colon + 1);
    const std::string temperature = "temperature=";
    const std::string fault = "fault=";
    long degrees = 0;
    if (setting.rfind(temperature, 0) == 0) {
        if (!ParseNumber(setting.substr(temperature.size()), -128, 127, degrees)) {
            return "a spell's temperature is degrees C, -128..127: " + setting;
        }
        spell.kind = sim::Spell::Kind::Temperature;
        spell.value = static_cast<int>(degrees);
        return {};
    }
    if (setting.rfind(fault, 0) == 0) {
        spell.kind = sim::Spell::Kind::Fault;
        return ParseNamed(setting.substr(fault.size()), kFaults, "fault", spell.value, spell.param);
    }
    return kSpellForm;
}

struct UnitOptions {
    sim::UnitConfig config;
    sim::Fault fault = sim::Fault::None;
    int faultParam = 0;
    std::vector<sim::Spell> spells;
    sim::ModuleFault moduleFault = sim::ModuleFault::None;
    int moduleParam = 0;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "tm80sim: %s (try --help)\n", message.c_str());
    return 2;
}

bool IsLoopback(const std::string& address) {
    in_addr a{};
    return ::inet_pton(AF_INET, address.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
}

// The next word of the command line as an option's value; false at the end.
using ValueReader = std::function<bool(std::string& out)>;

// The options that apply to the units that follow them (and the modules'
// discovery port): true when `arg` is one; `problem` then says what is wrong
// with its value, if anything.
bool ReadUnitOption(const std::string& arg, const ValueReader& value, UnitOptions& next,
                    std::uint16_t& discoveryPort, std::string& problem) {
    std::string v;
    long n = 0;
    int f = 0;
    if (arg == "--model") {
        if (!value(v) || (v != "80M1" && v != "80C2")) {
            problem = "--model takes 80M1 or 80C2";
        } else {
            next.config.model = v;
        }
    } else if (arg == "--temperature") {
        if (!value(v) || !ParseNumber(v, -128, 127, n)) {
            problem = "--temperature takes degrees C, -128..127";
        } else {
            next.config.temperature = static_cast<int>(n);
        }
    } else if (arg == "--fault") {
        if (!value(v)) {
            problem = "--fault needs a fault name";
        } else if (problem = ParseNamed(v, kFaults, "fault", f, next.faultParam); problem.empty()) {
            next.fault = static_cast<sim::Fault>(f);
        }
    } else if (arg == "--module-fault") {
        if (!value(v)) {
            problem = "--module-fault needs a fault name";
        } else if (problem = ParseNamed(v, kModuleFaults, "module fault", f, next.moduleParam);
                   problem.empty()) {
            next.moduleFault = static_cast<sim::ModuleFault>(f);
        }
    } else if (arg == "--single-client") {
        next.config.singleClient = true;
    } else if (arg == "--spell") {
        sim::Spell spell;
        if (!value(v)) {
            problem = kSpellForm;
        } else if (problem = ParseSpell(v, spell); problem.empty()) {
            next.spells.push_back(spell);
        }
    } else if (arg == "--no-module" || arg == "--module") {
        next.config.module = arg == "--module";
    } else if (arg == "--port") {
        if (!value(v) || !ParseNumber(v, 1, 65535, n)) {
            problem = "--port takes a port number";
        } else {
            next.config.port = static_cast<std::uint16_t>(n);
        }
    } else if (arg == "--discovery-port") {
        if (!value(v) || !ParseNumber(v, 1, 65535, n)) {
            problem = "--discovery-port takes a port number";
        } else {
            discoveryPort = static_cast<std::uint16_t>(n);
        }
    } else {
        return false;
    }
    return true;
}

struct CommandLine {
    std::vector<UnitOptions> units;
    std::uint16_t discoveryPort = 50001;
};

// Fills `line` from the arguments: -1, or the exit status when the program
// ends here (--help, --version, a usage error).
int ReadCommandLine(int argc, char** argv, CommandLine& line) {
    UnitOptions next;
    next.config.module = true;
    std::string note;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const ValueReader value = [&](std::string& out) {
            if (i + 1 >= argc) {
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        std::string problem;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("tm80sim %s\n", kVersion);
            return 0;
        } else if (arg == "--unit") {
            if (!value(v) || !IsLoopback(v)) {
                return Fail("--unit needs a loopback address 127.x.y.z");
            }
            const std::size_t count = line.units.size();
            UnitOptions u = next;
            u.config.address = v;
            u.config.serialLow = static_cast<std::uint16_t>(1001 + count);
            u.config.seed = count + 1;
            u.config.note = note.empty() ? "UNIT " + std::to_string(count + 1) : note;
            note.clear();
            line.units.push_back(u);
        } else if (arg == "--note") {
            if (!value(note)) {
                return Fail("--note needs a text");
            }
            note = note.substr(0, 16);
        } else if (!ReadUnitOption(arg, value, next, line.discoveryPort, problem)) {
            return Fail("unknown option: " + arg);
        } else if (!problem.empty()) {
            return Fail(problem);
        }
    }
    if (line.units.empty()) {
        return Fail("no --unit given");
    }
    return -1;
}

// Starts the units, prints one line for each, and runs until SIGINT or SIGTERM.
int RunUnits(CommandLine& line) {
    // Block the stop signals before any thread starts, then wait for them here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::unique_ptr<sim::SimUnit>> running;
    sim::SpellSchedule spells;
    for (UnitOptions& u : line.units) {
        u.config.discoveryPort = line.discoveryPort;
        auto unit = std::make_unique<sim::SimUnit>(u.config);
        unit->SetFault(u.fault, u.faultParam);
        unit->SetModuleFault(u.moduleFault, u.moduleParam);
        if (!unit->Start()) {
            std::fprintf(stderr, "tm80sim: unit %s: %s\n", u.config.address.c_str(),
                         unit->Error().c_str());
            return 1;
        }
        std::printf("%s:%u  %s  %4.4X-%u  \"%s\"%s\n", u.config.address.c_str(),
                    static_cast<unsigned>(u.config.port), u.config.model.c_str(),
                    static_cast<unsigned>(u.config.serialHigh),
                    static_cast<unsigned>(u.config.serialLow), unit->Note().c_str(),
                    u.config.module ? "" : "  (no module)");
        for (const sim::Spell& spell : u.spells) {
            spells.Add(*unit, spell, u.config.temperature, u.fault, u.faultParam);
        }
        running.push_back(std::move(unit));
    }
    std::fflush(stdout);

    spells.WaitForSignal(stopSignals);
    running.clear();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line;
    if (const int status = ReadCommandLine(argc, argv, line); status >= 0) {
        return status;
    }
    return RunUnits(line);
}
