#include "tools/DiscoverCommand.h"

#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "device/TCPCom.h"
#include "platform/DebugOutput.h"
#include "platform/WinSock.h"
#include "tools/JsonWriter.h"
#include "tools/TerminalText.h"
#include "tools/Tm80Ctl.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <string_view>

namespace {

int Usage(const char* problem, const std::string& word) {
    std::fprintf(stderr, "tm80ctl discover: %s%s\n%s\n", problem, word.c_str(), kTm80CtlHelpHint);
    return 2;
}

// One line, like tm80ctl's other --json outputs.
void PrintJson(const DiscoveryList& list) {
    JsonWriter json;
    json.BeginArray();
    for (const DiscoveredUnit& unit : list.Units()) {
        json.BeginObject()
            .Key("name")
            .String(unit.NameText())
            .Key("address")
            .String(unit.addressText)
            .Key("serial")
            .String(unit.SerialText())
            .Key("note")
            .String(unit.NoteText())
            .Key("mac")
            .String(unit.MacText())
            .Key("model")
            .String(unit.ModelText())
            .EndObject();
    }
    json.EndArray();
    win::StandardOutput("%s\n", json.Text().c_str());
}

void PrintTable(const DiscoveryList& list) {
    if (list.Count() == 0) {
        win::StandardOutput("No units found.\n");
        return;
    }
    struct Row {
        std::string name, address, serial, note, mac;
    };
    std::vector<Row> rows{{"NAME", "ADDRESS", "SERIAL", "NOTE", "MAC"}};
    for (const DiscoveredUnit& unit : list.Units()) {
        rows.push_back({TerminalText(unit.NameText()), unit.addressText,
                        TerminalText(unit.SerialText()), TerminalText(unit.NoteText()),
                        unit.MacText()});
    }
    int name = 0, address = 0, serial = 0, note = 0;
    for (const Row& row : rows) {
        name = std::max(name, static_cast<int>(row.name.size()));
        address = std::max(address, static_cast<int>(row.address.size()));
        serial = std::max(serial, static_cast<int>(row.serial.size()));
        note = std::max(note, static_cast<int>(row.note.size()));
    }
    for (const Row& row : rows) {
        win::StandardOutput("%-*s  %-*s  %-*s  %-*s  %s\n", name, row.name.c_str(), address,
                            row.address.c_str(), serial, row.serial.c_str(), note, row.note.c_str(),
                            row.mac.c_str());
    }
}

} // namespace

int RunDiscoverCommand(const std::vector<std::string>& args, bool json) {
    DiscoveryTarget target;
    bool trace = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--json") {
            json = true;
        } else if (word == "--trace") {
            trace = true;
        } else if (word == "--broadcast") {
            if (i + 1 >= args.size()) {
                return Usage("--broadcast needs an address", "");
            }
            target.broadcastAddress = args[++i];
            in_addr parsed{};
            if (::inet_pton(AF_INET, target.broadcastAddress.c_str(), &parsed) != 1 ||
                parsed.s_addr == htonl(INADDR_ANY)) {
                return Usage("not an IPv4 address: ", target.broadcastAddress);
            }
        } else {
            return Usage("unknown argument: ", word);
        }
    }

    win::WSADATA data;
    if (win::WSAStartup(win::MAKEWORD(2, 2), &data) != 0) {
        std::fputs("tm80ctl discover: the socket library did not start\n", stderr);
        return 1;
    }
    // The discovery's trace is thousands of lines; it is shown on request only.
    if (!trace) {
        win::SetDebugOutputSink([](std::string_view) {});
    }
    const int searchError = DiscoverWizNET_Devices(target);
    if (!trace) {
        win::SetDebugOutputSink({});
    }
    win::WSACleanup();
    if (searchError != 0) {
        // No unit can have heard a search that never went out: not "No units found.".
        std::string reason = "error " + std::to_string(searchError);
        if (const char* description = TCPCom::ErrorDescription(searchError)) {
            reason = description;
            reason.erase(reason.find_last_not_of("\r\n") + 1);
        }
        std::fprintf(stderr, "tm80ctl discover: the search could not be sent: %s\n",
                     reason.c_str());
        return 1;
    }

    if (json) {
        PrintJson(DiscoveryList::Instance());
    } else {
        PrintTable(DiscoveryList::Instance());
    }
    return 0;
}
