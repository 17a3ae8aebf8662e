// The window icon is built into the program: every size the icon theme gets must
// be there, drawn (not an empty image), and at the size asked for.
#include "app/desktop_identity.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace quillane {
namespace {

TEST(DesktopIdentityTest, ProgramIconHasEveryThemeSizeDrawn) {
  const QIcon icon = programIcon();
  ASSERT_FALSE(icon.isNull());
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    // The middle of the icon is the red cut; its rounded corner lets the background through.
    const QColor middle = image.pixelColor(size / 2, size / 2);
    EXPECT_GT(middle.red(), middle.green());
    EXPECT_LT(image.pixelColor(0, 0).alpha(), 16);
  }
}

}  // namespace
}  // namespace quillane
