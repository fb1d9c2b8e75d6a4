// Windows file filters as the Qt file dialogs take them.

#include "platform/ui/QtCommonDialogs.h"

#include <gtest/gtest.h>

using namespace win;

namespace {

TEST(QtFileFilterTest, WindowsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("Setup Files (*.TM80)|*.TM80|All Files (*.*)|*.*||"),
              "Setup Files (*.TM80);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.jpg;*.png|"), "Pictures (*.jpg *.png)");
    EXPECT_EQ(QtFileFilter(""), "");
}

} // namespace
