// HistoryChart: the history chart as a control of the window layer, so a
// dialog template places it like any other control. Its widget is a
// HistoryChartView, which draws and hovers by itself.
#pragma once

#include "platform/ui/CWnd.h"

class HistoryChartView;

class HistoryChart : public win::CWnd {
public:
    // nullptr until the control is created.
    HistoryChartView* View() const;

protected:
    QWidget* CreateNative(QWidget* parent) override;
};
