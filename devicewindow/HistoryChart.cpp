#include "devicewindow/HistoryChart.h"

#include "devicewindow/HistoryChartView.h"

HistoryChartView* HistoryChart::View() const {
    return static_cast<HistoryChartView*>(GetNative());
}

QWidget* HistoryChart::CreateNative(QWidget* parent) {
    return new HistoryChartView(parent);
}
