#include <gtest/gtest.h>

#include <QCoreApplication>

#include "quillo/platform/desktop/qt_runtime.h"

namespace quillo::platform::desktop {
namespace {

TEST(QtRuntime, MakesQtsApplicationOnlyWhereThereIsNone) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  {
    const QtRuntime outer;
    QCoreApplication* made = QCoreApplication::instance();
    ASSERT_NE(made, nullptr);
    {
      const QtRuntime inner;
      EXPECT_EQ(QCoreApplication::instance(), made);
    }
    EXPECT_EQ(QCoreApplication::instance(), made);
  }
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

}  // namespace
}  // namespace quillo::platform::desktop
