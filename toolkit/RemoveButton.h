#pragma once

// RemoveButton: the button without a caption at the left of each row of the
// main window; it draws a cross on a raised face so that it reads as "remove".

#include "platform/ui/CButton.h"

class RemoveButton : public win::CButton {
public:
    // The template gives the button BS_OWNERDRAW.
    void DrawItem(const win::DRAWITEMSTRUCT& item) override;
};
