#include "devicewindow/HistoryChartView.h"

#include "infra/ColorScheme.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/QtConvert.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsEllipseItem>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainterPath>
#include <QValueAxis>

#include <cmath>
#include <cstdlib>

namespace {

using Plot = HistoryPlot;

// The plots' titles, as the Info page names the readings.
constexpr const char* kTitles[Plot::kQuantities] = {"System Temp (Deg. C)", "Source Voltage (V)",
                                                    "Source Current (A)", "Power (W)"};
constexpr const char* kLabelFormats[] = {"%.0f", "%.1f", "%.2f"};

constexpr int kAxisPoints = 8;
constexpr int kTitlePoints = 9;
constexpr qreal kLineWidth = 1.5;
constexpr qreal kLonePointSize = 4.0;
constexpr int kShadeAlpha = 96;
constexpr qreal kHoverZ = 10.0;
constexpr qreal kLabelGap = 8.0;

// `share` of the way from `from` to `to`.
QColor Blend(const QColor& from, const QColor& to, double share) {
    auto mix = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

struct Colours {
    QColor background;
    QColor text;
    QColor grid;
    QColor line;
    QColor shade;
    QColor alarm = QColor(255, 255, 0); // the Info page's warning yellow
};

Colours SchemeColours() {
    const Palette& main = TheColorScheme().Main;
    Colours c;
    c.background = win::ToQColor(main.Background);
    c.text = win::ToQColor(main.Label);
    c.grid = Blend(c.background, c.text, 0.25);
    c.line = win::ToQColor(main.Label);
    c.shade = win::ToQColor(main.DataBlockBackground);
    c.shade.setAlpha(kShadeAlpha);
    return c;
}

QFont SmallFont(const QFont& base, int points) {
    QFont font = base;
    font.setPointSize(points);
    return font;
}

} // namespace

HistoryChartView::HistoryChartView(QWidget* parent) : QGraphicsView(parent) {
    setScene(&scene_);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHint(QPainter::Antialiasing);
    setInteractive(false);
    viewport()->setMouseTracking(true);
    Build();
}

HistoryChartView::~HistoryChartView() {
    scene_.clear(); // the charts and their series go before the scene does
}

void HistoryChartView::Build() {
    const Colours colours = SchemeColours();
    scene_.setBackgroundBrush(colours.background);
    const QFont axisFont = SmallFont(font(), kAxisPoints);
    for (int q = 0; q < Plot::kQuantities; ++q) {
        PlotItems& plot = plots_[static_cast<std::size_t>(q)];
        plot.chart = new QChart();
        plot.chart->legend()->hide();
        plot.chart->setBackgroundVisible(false);
        plot.chart->setPlotAreaBackgroundVisible(false);
        plot.chart->setMargins(QMargins());
        plot.chart->layout()->setContentsMargins(0, 0, 0, 0);
        plot.chart->setAnimationOptions(QChart::NoAnimation);
        scene_.addItem(plot.chart);

        plot.time = new QCategoryAxis();
        plot.time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        plot.values = new QValueAxis();
        plot.values->setMinorTickCount(0);
        for (QAbstractAxis* axis :
             {static_cast<QAbstractAxis*>(plot.time), static_cast<QAbstractAxis*>(plot.values)}) {
            axis->setLabelsColor(colours.text);
            axis->setLabelsFont(axisFont);
            axis->setLinePenColor(colours.grid);
            axis->setGridLineColor(colours.grid);
            axis->setTitleVisible(false);
        }
        plot.time->setLabelsVisible(q == Plot::kQuantities - 1);
        plot.chart->addAxis(plot.time, Qt::AlignBottom);
        plot.chart->addAxis(plot.values, Qt::AlignLeft);

        if (q == Plot::Temperature) {
            plot.limit = new QLineSeries();
            plot.limit->setPen(QPen(colours.alarm, 1.0, Qt::DashLine));
            plot.chart->addSeries(plot.limit);
            plot.limit->attachAxis(plot.time);
            plot.limit->attachAxis(plot.values);
        }
        plot.shade = scene_.addPath(QPainterPath(), Qt::NoPen, colours.shade);
        plot.shade->setZValue(1.0);
        plot.title =
            scene_.addSimpleText(QString::fromLatin1(kTitles[q]), SmallFont(font(), kTitlePoints));
        plot.title->setBrush(colours.text);
    }
    cursor_ = scene_.addLine(QLineF(), QPen(colours.text, 1.0, Qt::DotLine));
    marker_ = scene_.addEllipse(QRectF(-3, -3, 6, 6), QPen(colours.background), colours.alarm);
    labelBack_ = scene_.addRect(QRectF(), Qt::NoPen, colours.text);
    label_ = scene_.addSimpleText(QString(), SmallFont(font(), kTitlePoints));
    label_->setBrush(colours.background);
    for (QGraphicsItem* item :
         {static_cast<QGraphicsItem*>(cursor_), static_cast<QGraphicsItem*>(marker_),
          static_cast<QGraphicsItem*>(labelBack_), static_cast<QGraphicsItem*>(label_)}) {
        item->setZValue(kHoverZ);
    }
    label_->setZValue(kHoverZ + 1);
    HideHover();
    Place();
}

QLineSeries* HistoryChartView::Line(PlotItems& plot, std::size_t index) {
    while (plot.lines.size() <= index) {
        auto* line = new QLineSeries();
        line->setPen(QPen(SchemeColours().line, kLineWidth));
        line->setMarkerSize(kLonePointSize);
        plot.chart->addSeries(line);
        line->attachAxis(plot.time);
        line->attachAxis(plot.values);
        plot.lines.push_back(line);
    }
    return plot.lines[index];
}

HistoryPlot::Box HistoryChartView::PlotBox(HistoryPlot::Quantity quantity) const {
    return Plot::PlotBoxes(viewport()->width(),
                           viewport()->height())[static_cast<std::size_t>(quantity)];
}

int HistoryChartView::Columns() const {
    return PlotBox(Plot::Temperature).width;
}

void HistoryChartView::Place() {
    const QRectF all(0, 0, viewport()->width(), viewport()->height());
    scene_.setSceneRect(all);
    for (int q = 0; q < Plot::kQuantities; ++q) {
        PlotItems& plot = plots_[static_cast<std::size_t>(q)];
        const Plot::Box box = PlotBox(static_cast<Plot::Quantity>(q));
        // Every chart covers the whole view and draws only its own plot.
        plot.chart->setGeometry(all);
        plot.chart->setPlotArea(QRectF(box.left, box.top, box.width, box.height));
        plot.title->setPos(box.left, box.top - plot.title->boundingRect().height() - 2);
    }
}

void HistoryChartView::Show(const UnitHistory& history, const HistoryPlot::Data& data) {
    history_ = &history;
    data_ = data;
    Draw();
}

void HistoryChartView::Draw() {
    for (int q = 0; q < Plot::kQuantities; ++q) {
        DrawPlot(q);
        // Lays the new axis marks out now rather than at the next turn of the
        // event loop, so a picture taken at once shows them.
        plots_[static_cast<std::size_t>(q)].chart->layout()->activate();
    }
    if (label_->isVisible()) {
        Hover(hoverAt_);
    }
}

void HistoryChartView::DrawTimeAxis(PlotItems& plot, bool labelled) {
    const Plot::Span span = data_.span;
    for (const QString& label : plot.time->categoriesLabels()) {
        plot.time->remove(label);
    }
    plot.time->setRange(static_cast<qreal>(span.startMs), static_cast<qreal>(span.endMs));
    plot.time->setStartValue(static_cast<qreal>(span.startMs));
    for (const Plot::Tick& tick : data_.ticks) {
        if (tick.timeMs > span.startMs) {
            plot.time->append(QString::fromLatin1(tick.label.c_str()),
                              static_cast<qreal>(tick.timeMs));
        }
    }
    plot.time->setLabelsVisible(labelled);
}

void HistoryChartView::DrawPlot(int quantity) {
    PlotItems& plot = plots_[static_cast<std::size_t>(quantity)];
    const Plot::Plot& data = data_.plots[static_cast<std::size_t>(quantity)];
    const Plot::Box box = PlotBox(static_cast<Plot::Quantity>(quantity));

    plot.values->setRange(data.axis.low, data.axis.high);
    plot.values->setTickCount(data.axis.ticks);
    plot.values->setLabelFormat(kLabelFormats[std::clamp(data.axis.decimals, 0, 2)]);
    DrawTimeAxis(plot, quantity == Plot::kQuantities - 1);

    for (std::size_t s = 0; s < data.segments.size(); ++s) {
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(data.segments[s].size()));
        for (const Plot::Point& p : data.segments[s]) {
            points.append(QPointF(static_cast<qreal>(p.timeMs), p.value));
        }
        QLineSeries* line = Line(plot, s);
        // A line needs two points: a lone reading shows as a dot.
        line->setPointsVisible(points.size() == 1);
        line->replace(points);
    }
    for (std::size_t s = data.segments.size(); s < plot.lines.size(); ++s) {
        if (plot.lines[s]->count() > 0) {
            plot.lines[s]->clear();
        }
    }
    if (plot.limit != nullptr) {
        const qreal limit = UnitStatus::kMostTemperature;
        plot.limit->replace({QPointF(static_cast<qreal>(data_.span.startMs), limit),
                             QPointF(static_cast<qreal>(data_.span.endMs), limit)});
    }

    QPainterPath shade;
    for (const Plot::Gap& gap : data_.gaps) {
        const double left = Plot::XOf(box, data_.span, static_cast<double>(gap.span.startMs));
        const double right = Plot::XOf(box, data_.span, static_cast<double>(gap.span.endMs));
        shade.addRect(QRectF(left, box.top, std::max(right - left, 1.0), box.height));
    }
    plot.shade->setPath(shade);
}

QList<QLineSeries*> HistoryChartView::Lines(HistoryPlot::Quantity quantity) const {
    const PlotItems& plot = plots_[static_cast<std::size_t>(quantity)];
    const std::size_t used = data_.plots[static_cast<std::size_t>(quantity)].segments.size();
    QList<QLineSeries*> lines;
    for (std::size_t s = 0; s < used && s < plot.lines.size(); ++s) {
        lines.append(plot.lines[s]);
    }
    return lines;
}

QString HistoryChartView::HoverText() const {
    return label_->isVisible() ? label_->text() : QString();
}

void HistoryChartView::HideHover() {
    for (QGraphicsItem* item :
         {static_cast<QGraphicsItem*>(cursor_), static_cast<QGraphicsItem*>(marker_),
          static_cast<QGraphicsItem*>(labelBack_), static_cast<QGraphicsItem*>(label_)}) {
        item->hide();
    }
}

void HistoryChartView::Hover(QPointF at) {
    hoverAt_ = at;
    int quantity = -1;
    for (int q = 0; q < Plot::kQuantities; ++q) {
        if (PlotBox(static_cast<Plot::Quantity>(q)).Contains(at.x(), at.y())) {
            quantity = q;
        }
    }
    if (history_ == nullptr || quantity < 0) {
        HideHover();
        return;
    }
    const auto q = static_cast<Plot::Quantity>(quantity);
    const Plot::Box box = PlotBox(q);
    const auto time = static_cast<std::int64_t>(Plot::TimeAt(box, data_.span, at.x()));
    label_->setText(QString::fromLatin1(Plot::HoverText(*history_, data_.span, q, time).c_str()));

    double x = at.x();
    marker_->hide();
    const std::optional<std::size_t> nearest = Plot::Nearest(*history_, data_.span, time);
    if (nearest && std::llabs((*history_)[*nearest].timeMs - time) <= Plot::kLongestStepMs) {
        const HealthReading& r = (*history_)[*nearest];
        x = Plot::XOf(box, data_.span, static_cast<double>(r.timeMs));
        if (r.Answered()) {
            const Plot::Axis& axis = data_.plots[static_cast<std::size_t>(q)].axis;
            marker_->setPos(x, Plot::YOf(box, axis, Plot::Value(r, q)));
            marker_->show();
        }
    }
    cursor_->setLine(x, PlotBox(Plot::Temperature).top, x, PlotBox(Plot::Power).Bottom());
    cursor_->show();

    const QRectF text = label_->boundingRect();
    double left = x + kLabelGap;
    if (left + text.width() > box.Right()) {
        left = x - kLabelGap - text.width();
    }
    label_->setPos(left, box.top + kLabelGap / 2);
    labelBack_->setRect(label_->sceneBoundingRect().adjusted(-3, -1, 3, 1));
    label_->show();
    labelBack_->show();
}

void HistoryChartView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    Place();
    Draw();
}

void HistoryChartView::mouseMoveEvent(QMouseEvent* event) {
    Hover(event->position());
    QGraphicsView::mouseMoveEvent(event);
}

void HistoryChartView::leaveEvent(QEvent* event) {
    HideHover();
    QGraphicsView::leaveEvent(event);
}
