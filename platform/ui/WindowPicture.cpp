#include "platform/ui/WindowPicture.h"

#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

namespace win {

namespace {

constexpr int kPrintDpi = 300;
constexpr double kMarginMm = 10.0;
constexpr int kHeadingPoints = 11;

} // namespace

bool SaveWindowPng(const CWnd& wnd, const std::string& path) {
    QWidget* widget = wnd.GetNative();
    if (widget == nullptr) {
        return false;
    }
    return widget->grab().toImage().save(ToQString(path), "PNG");
}

bool SaveWindowPdf(const CWnd& wnd, const std::string& path, const std::string& heading) {
    QWidget* widget = wnd.GetNative();
    if (widget == nullptr || widget->width() <= 0 || widget->height() <= 0) {
        return false;
    }
    QPdfWriter writer(ToQString(path));
    writer.setResolution(kPrintDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setCreator(QStringLiteral("tm80"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    const QRect page = painter.viewport();

    QFont font = widget->font();
    font.setPointSize(kHeadingPoints);
    painter.setFont(font);
    const QRect headingArea(page.left(), page.top(), page.width(), painter.fontMetrics().height());
    painter.drawText(headingArea, Qt::AlignLeft | Qt::AlignVCenter, ToQString(heading));

    // The window drawn afresh at the scale it takes on paper.
    const int gap = painter.fontMetrics().height() / 2;
    const QRect area(page.left(), headingArea.bottom() + gap, page.width(),
                     page.bottom() - headingArea.bottom() - gap);
    const double scale = std::min(static_cast<double>(area.width()) / widget->width(),
                                  static_cast<double>(area.height()) / widget->height());
    QImage image(widget->size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    widget->render(&image);
    painter.drawImage(QRect(area.topLeft(), image.size()), image);
    return painter.end();
}

} // namespace win
