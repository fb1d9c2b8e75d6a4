// The Qt message box as the system shows it, and Windows file filters as the
// Qt file dialogs take them.

#include "platform/ui/QtCommonDialogs.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <gtest/gtest.h>

using namespace win;

namespace {

TEST(QtMessageBoxTest, WideEnoughForItsCaptionAndTextIsNoMarkup) {
    uitest::EnsureApplication();
    QtCommonDialogs dialogs;
    MessageBoxRequest request;
    request.text = "<b>TCP</b>";
    request.caption = "Communication to TM80";
    bool checked = false;
    uitest::WhenReady(
        [&] { return uitest::VisibleWindowTitled(request.caption) != nullptr; },
        [&] {
            auto* box = qobject_cast<QMessageBox*>(uitest::VisibleWindowTitled(request.caption));
            ASSERT_NE(box, nullptr);
            const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
            // The caption and the title bar's buttons fit.
            EXPECT_GE(box->width(), title.horizontalAdvance(box->windowTitle()) + 100);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            checked = true;
            box->accept();
        });
    EXPECT_EQ(dialogs.MessageBox(request), IDOK);
    EXPECT_TRUE(checked);
}

TEST(QtFileFilterTest, WindowsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("Setup Files (*.TM80)|*.TM80|All Files (*.*)|*.*||"),
              "Setup Files (*.TM80);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.jpg;*.png|"), "Pictures (*.jpg *.png)");
    EXPECT_EQ(QtFileFilter(""), "");
}

} // namespace
