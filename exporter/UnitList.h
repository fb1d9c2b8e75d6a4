// The units a file names for tm80_exporter: tm80's own system configuration
// (a file with a [TM80M1] section gives its direct-launch addresses, as many
// as NUMBER_OF_LAUNCH_DEVICES says), or one address per line, where '#'
// starts a comment and blank lines are skipped.
#pragma once

#include <string>
#include <vector>

struct UnitList {
    std::vector<std::string> units;
    std::string error; // why the file gave no list; empty when it did
};

UnitList ReadUnitList(const std::string& path);
