// Images cut into lists, and the colour answer that a platform-drawn control
// asks its parent for. (The pixel rules of drawing are pinned by the toolkit
// controls' pixel tests.)

#include "platform/ui/CDC.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CImageList.h"
#include "platform/ui/CStatic.h"
#include "testsupport/UiTestSupport.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace win;

namespace {

TEST(DrawingTest, ImagesDecodeFromMemoryAndCutIntoLists) {
    uitest::EnsureApplication();
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
    for (int x = 0; x < 50 && !textInk; ++x) {
        for (int y = 0; y < 20 && !textInk; ++y) {
            textInk = uitest::PixelAt(image, x, y) == RGB(255, 251, 240);
        }
    }
    EXPECT_TRUE(textInk);
}

} // namespace
