#include "device/UnitFlags.h"

std::array<unsigned char, kUnitPositions>& ConnectionLostFlag() {
    static std::array<unsigned char, kUnitPositions> flags{};
    return flags;
}

bool UnitLost(int index) {
    return index >= 0 && index < kUnitPositions &&
           ConnectionLostFlag()[static_cast<std::size_t>(index)] != 0;
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
