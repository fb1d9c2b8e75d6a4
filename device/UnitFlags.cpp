#include "device/UnitFlags.h"

std::array<unsigned char, kUnitPositions>& ConnectionLostFlag() {
    static std::array<unsigned char, kUnitPositions> flags{};
    return flags;
}

int& AlarmBlinkCounter() {
    static int counter = 0;
    return counter;
}

std::string& CurrentSetupFile() {
    static std::string path;
    return path;
}

void ResetUnitFlags() {
    ConnectionLostFlag().fill(0);
    AlarmBlinkCounter() = 0;
    CurrentSetupFile().clear();
}
