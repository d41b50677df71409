#include "panel_fixture.h"
#include "quillo/ui/panel/result_list.h"

namespace quillo::ui::test {
namespace {

std::vector<RowView> manyRows(int count) {
  std::vector<RowView> rows;
  for (int index = 0; index < count; ++index)
    rows.push_back({.icon = bundledIcon(BundledIcon::file), .title = QString("Report %1").arg(index)});
  return rows;
}

TEST(ResultList, TheSelectionStaysInViewBeyondTheEighthRow) {
  application();
  ResultList list;
  list.resize(list.sizeHint());
  list.setRows(manyRows(20), 15);
  EXPECT_TRUE(list.rect().contains(list.rowRect(15)));
  EXPECT_FALSE(list.rect().intersects(list.rowRect(0)));
  // Back up: the list scrolls no further than it must.
  list.setRows(manyRows(20), 2);
  EXPECT_TRUE(list.rect().contains(list.rowRect(2)));
  EXPECT_EQ(list.firstVisibleRow(), 2);
  list.setRows(manyRows(20), 0);
  EXPECT_TRUE(list.rect().contains(list.rowRect(0)));
}

TEST(ResultList, RowsOutOfViewReadAsInvisible) {
  application();
  ResultList list;
  list.resize(list.sizeHint());
  list.show();
  list.setRows(manyRows(20), 15);
  EXPECT_TRUE(list.rowInterface(0)->state().invisible);
  EXPECT_FALSE(list.rowInterface(15)->state().invisible);
  EXPECT_TRUE(list.rowInterface(15)->state().selected);
}

}  // namespace
}  // namespace quillo::ui::test
