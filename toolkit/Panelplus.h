#pragma once

// Panelplus: a frame whose area the dialog base paints (ControlType::Panel); it can only be
// shown and hidden. It draws no background of its own, so the dialog's panel
// colour shows through; a black or etched frame style draws just the frame.

#include "platform/ui/CStatic.h"
#include "toolkit/Tplus.h"

class Panelplus : public win::CStatic, public Tplus {
public:
    void Show(bool show) override;

    bool OnEraseBkgnd(win::CDC& dc) override;
    bool OnPaint(win::CDC& dc) override;
};
