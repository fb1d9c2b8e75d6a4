// The CDC pixel rules, turned surfaces, and the colour answer that a
// platform-drawn control asks its parent for.

#include "platform/ui/CDC.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CImageList.h"
#include "platform/ui/CMemoryDC.h"
#include "platform/ui/CStatic.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace win;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::EnsureApplication();
        dc.FillSolidRect(CRect(0, 0, 40, 40), kWhite);
    }
    CMemoryDC dc{40, 40, DefaultGuiFont()};
};

TEST_F(DrawingTest, RectangleOutlinesInsideItsRightAndBottomEdges) {
    CPen red(PS_SOLID, 1, kRed);
    CBrush blue(kBlue);
    dc.SelectObject(&red);
    dc.SelectObject(&blue);
    dc.Rectangle(5, 5, 15, 12);
    EXPECT_EQ(dc.GetPixel(5, 5), kRed);
    EXPECT_EQ(dc.GetPixel(14, 11), kRed);
    EXPECT_EQ(dc.GetPixel(15, 11), kWhite);
    EXPECT_EQ(dc.GetPixel(14, 12), kWhite);
    EXPECT_EQ(dc.GetPixel(6, 6), kBlue);
    EXPECT_EQ(dc.GetPixel(13, 10), kBlue);
}

TEST_F(DrawingTest, LinesStopBeforeTheirEndPoint) {
    CPen red(PS_SOLID, 1, kRed);
    dc.SelectObject(&red);
    dc.MoveTo(2, 3);
    dc.LineTo(10, 3);
    EXPECT_EQ(dc.GetPixel(2, 3), kRed);
    EXPECT_EQ(dc.GetPixel(9, 3), kRed);
    EXPECT_EQ(dc.GetPixel(10, 3), kWhite);
    dc.LineTo(10, 20); // from the last end point
    EXPECT_EQ(dc.GetPixel(10, 3), kRed);
    EXPECT_EQ(dc.GetPixel(10, 19), kRed);
    EXPECT_EQ(dc.GetPixel(10, 20), kWhite);

    CPen wide(PS_SOLID, 2, kBlue);
    dc.SelectObject(&wide);
    dc.MoveTo(20, 30);
    dc.LineTo(30, 30); // two rows: 29 and 30
    EXPECT_EQ(dc.GetPixel(25, 29), kBlue);
    EXPECT_EQ(dc.GetPixel(25, 30), kBlue);
    EXPECT_EQ(dc.GetPixel(25, 31), kWhite);
    EXPECT_EQ(dc.GetPixel(25, 28), kWhite);
}

TEST_F(DrawingTest, EllipseStaysInsideItsBox) {
    CPen red(PS_SOLID, 1, kRed);
    CBrush blue(kBlue);
    dc.SelectObject(&red);
    dc.SelectObject(&blue);
    dc.Ellipse(0, 12, 15, 27); // a 15-pixel ball
    EXPECT_EQ(dc.GetPixel(7, 19), kBlue);
    EXPECT_EQ(dc.GetPixel(7, 12), kRed);
    EXPECT_EQ(dc.GetPixel(7, 26), kRed);
    EXPECT_EQ(dc.GetPixel(7, 27), kWhite);
    EXPECT_EQ(dc.GetPixel(15, 19), kWhite);
    EXPECT_EQ(dc.GetPixel(0, 12), kWhite); // the corner is outside
}

TEST_F(DrawingTest, SurfacesTurnClockwise) {
    CMemoryDC source(4, 4, DefaultGuiFont());
    source.FillSolidRect(CRect(0, 0, 4, 4), kWhite);
    source.SetPixel(0, 0, kRed); // top-left
    struct Case {
        int angle;
        CPoint red;
    } cases[] = {{0, {0, 0}}, {90, {3, 0}}, {180, {3, 3}}, {270, {0, 3}}};
    for (const Case& c : cases) {
        CMemoryDC turned(4, 4, DefaultGuiFont());
        turned.CopyTurned(source, c.angle);
        EXPECT_EQ(turned.GetPixel(c.red.x, c.red.y), kRed) << c.angle;
    }
}

TEST_F(DrawingTest, ImagesDecodeFromMemoryAndCutIntoLists) {
    QImage strip(75, 10, QImage::Format_RGB32);
    strip.fill(Qt::white);
    strip.setPixel(50, 0, qRgb(255, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(strip.save(&buffer, "PNG"));
    CImage image;
    EXPECT_FALSE(image.LoadFromMemory({1, 2, 3}));
    EXPECT_TRUE(image.IsNull());
    ASSERT_TRUE(image.LoadFromMemory(std::vector<unsigned char>(bytes.begin(), bytes.end())));
    CImageList list;
    ASSERT_TRUE(list.Create(25, 10, 3, 10));
    EXPECT_EQ(list.Add(image), 0);
    EXPECT_EQ(list.GetImageCount(), 3);
    EXPECT_EQ(QColor(list.GetImage(2).Image().pixel(0, 0)), QColor(255, 0, 0));
    EXPECT_TRUE(list.GetImage(3).IsNull());
}

// A parent that answers its children's colour requests.
class Painter : public CWnd {
public:
    CBrush brush{RGB(0, 51, 102)};
    const CBrush* OnCtlColor(CDC& cdc, CWnd*, UINT kind) override {
        EXPECT_EQ(kind, CTLCOLOR_STATIC);
        cdc.SetTextColor(RGB(255, 251, 240));
        return &brush;
    }
};

TEST(ColorAnswerTest, StaticTextTakesThePaintersColours) {
    uitest::EnsureApplication();
    Painter parent;
    ASSERT_TRUE(parent.Create("", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 40), nullptr, 0));
    CStatic label;
    ASSERT_TRUE(label.Create("Label", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(0, 0, 100, 40),
                             &parent, 1025));
    uitest::Settle();
    const QImage image = uitest::Grab(label);
    EXPECT_EQ(uitest::PixelAt(image, 95, 35), RGB(0, 51, 102));
    bool textInk = false;
    for (int x = 0; x < 50 && !textInk; ++x)
        for (int y = 0; y < 20 && !textInk; ++y)
            textInk = uitest::PixelAt(image, x, y) == RGB(255, 251, 240);
    EXPECT_TRUE(textInk);
}

} // namespace
