// HistoryChartView: the paint side of the history chart. Four Qt charts in one
// scene, stacked at the places HistoryPlot::PlotBoxes gives, so their time
// axes line up; each draws the segments HistoryPlot::Prepare made as lines
// and shades the gaps; the temperature plot carries the alarm line. The
// colours are the colour scheme's MAIN palette, as on the Info page.
//
// Hovering shows a cursor line through all four plots at the nearest reading
// and, beside it, that reading's value in the plot under the mouse and its
// time (HistoryPlot::HoverText).
#pragma once

#include "devicewindow/HistoryPlot.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QList>
#include <QPointF>
#include <QString>

#include <array>
#include <vector>

class QChart;
class QCategoryAxis;
class QValueAxis;
class QLineSeries;
class QGraphicsPathItem;
class QGraphicsLineItem;
class QGraphicsEllipseItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

class HistoryChartView : public QGraphicsView {
public:
    explicit HistoryChartView(QWidget* parent);
    ~HistoryChartView() override;
    HistoryChartView(const HistoryChartView&) = delete;
    HistoryChartView& operator=(const HistoryChartView&) = delete;

    // Draws `data`, made from `history`, which the hover reads until the
    // next Show and which must live until then.
    void Show(const UnitHistory& history, const HistoryPlot::Data& data);
    // The width of the plots in pixels: the columns to prepare for.
    int Columns() const;

    const HistoryPlot::Data& Shown() const { return data_; }
    HistoryPlot::Box PlotBox(HistoryPlot::Quantity quantity) const;
    // The lines drawn in a plot, one per segment (the alarm line not among them).
    QList<QLineSeries*> Lines(HistoryPlot::Quantity quantity) const;
    // What the hover shows now; empty while it is hidden.
    QString HoverText() const;
    void HideHover();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct PlotItems {
        QChart* chart = nullptr;
        QCategoryAxis* time = nullptr;
        QValueAxis* values = nullptr;
        std::vector<QLineSeries*> lines; // a pool: the first segments.size() are used
        QLineSeries* limit = nullptr;    // the alarm line (temperature only)
        QGraphicsPathItem* shade = nullptr;
        QGraphicsSimpleTextItem* title = nullptr;
    };

    void Build();
    void Place();
    void Draw();
    void DrawPlot(int quantity);
    void DrawTimeAxis(PlotItems& plot, bool labelled);
    QLineSeries* Line(PlotItems& plot, std::size_t index);
    void Hover(QPointF at);

    QGraphicsScene scene_;
    std::array<PlotItems, HistoryPlot::kQuantities> plots_;
    QGraphicsLineItem* cursor_ = nullptr;
    QGraphicsEllipseItem* marker_ = nullptr;
    QGraphicsRectItem* labelBack_ = nullptr;
    QGraphicsSimpleTextItem* label_ = nullptr;
    QPointF hoverAt_;
    const UnitHistory* history_ = nullptr;
    HistoryPlot::Data data_;
};
