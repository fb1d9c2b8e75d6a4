#include "exporter/UnitList.h"

#include "exporter/ExporterOptions.h"
#include "infra/ProfileStore.h"
#include "infra/SystemConfiguration.h"

#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

UnitList FromConfiguration(const std::string& path) {
    LoadConfiguration(path.c_str());
    const SystemConfiguration& c = TheSystemConfiguration();
    UnitList list;
    for (int i = 0; i < c.LaunchAddressCount(); ++i) {
        const std::string& address = c.DirectAddress[static_cast<std::size_t>(i)];
        // A blank launch field is stored as 0.0.0.0: no unit.
        if (IsUnitAddress(address)) {
            list.units.push_back(address);
        }
    }
    return list;
}

} // namespace

UnitList ReadUnitList(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return {{}, "cannot read " + path};
    }
    if (ProfileSectionExists(path, SystemConfiguration::kSection)) {
        return FromConfiguration(path);
    }
    UnitList list;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const std::string address = Trimmed(line.substr(0, line.find('#')));
        if (address.empty()) {
            continue;
        }
        if (!IsUnitAddress(address)) {
            return {{},
                    path + ":" + std::to_string(number) + ": not a unit's IPv4 address: \"" +
                        address + "\""};
        }
        list.units.push_back(address);
    }
    return list;
}
