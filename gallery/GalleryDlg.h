#pragma once

// GalleryDlg: one dialog showing every toolkit control: static texts of each
// label type enabled and disabled, labels turned and in columns, lights off,
// on and warning, sliders, owner-drawn and coloured buttons, a tab strip and a
// picture, all coloured by the colour scheme through the dialog base.

#include "platform/ui/CDialogEx.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Lights.h"
#include "toolkit/Panelplus.h"
#include "toolkit/Pictureplus.h"
#include "toolkit/Sliderplus.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"
#include "toolkit/Tabctrlplus.h"

#include <array>
#include <string>

class GalleryDlg : public win::CDialogEx, public Dlgplus {
public:
    // `logoPath`: the picture to show (a missing file leaves the picture blank).
    explicit GalleryDlg(std::string logoPath);

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override;

    // Gives the keyboard focus to the button that shows the focus frame.
    void FocusSampleButton();

    static constexpr int kStaticRows = 7;

private:
    void FillControlTable();
    void StyleLabels();
    void ShowSliderValue(int position);

    std::string logoPath_;

    Pictureplus logo_;
    CNewLabel unitLine_, fileLine_;

    Staticplus staticHeading_, enabledCaption_, disabledCaption_;
    std::array<Staticplus, kStaticRows> typeNames_;
    std::array<Staticplus, kStaticRows> enabledStatics_;
    std::array<Staticplus, kStaticRows> disabledStatics_;

    Staticplus labelHeading_;
    CNewLabel deviceLabel_, disabledLabel_, upsideDown_, twoLines_;
    std::array<CNewLabel, 3> banners_;
    CNewLabel downwards_, infoColumn_;

    Panelplus lightPanel_;
    Staticplus lightHeading_;
    std::array<Staticball, 3> balls_;
    Lights bar_;
    std::array<Staticplus, 4> lightNames_;

    Staticplus sliderHeading_, decrease_, increase_, sliderValue_, disabledSliderName_;
    Sliderplus slider_, disabledSlider_;

    Staticplus buttonHeading_;
    Buttonplus apply_, focused_, disabledButton_, launchCheck_, split18_, split24_;

    Tabctrlplus tabs_;
};
