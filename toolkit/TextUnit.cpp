#include "toolkit/TextUnit.h"

namespace {
int g_textUnit = 10;
}

int TextUnit() {
    return g_textUnit;
}

void SetTextUnit(int unit) {
    g_textUnit = unit;
}
