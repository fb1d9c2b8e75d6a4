#pragma once

// Panelplus: a frame whose area the dialog base paints (type 3); it can only be
// shown and hidden.

#include "platform/ui/CStatic.h"
#include "toolkit/Tplus.h"

class Panelplus : public win::CStatic, public Tplus {
public:
    void Show(bool show) override { ShowWindow(show ? win::SW_SHOW : win::SW_HIDE); }
};
