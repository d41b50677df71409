#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "quillo/platform/desktop/xcb_connection.h"
#include "quillo/ui/effects/highlight_window.h"

namespace quillo::ui {
namespace {

using platform::desktop::XcbConnection;
using platform::desktop::XcbPointer;

// Another window on the desktop, below the ring, that records where it is clicked.
class ClickRecorder : public QWidget {
 public:
  ClickRecorder() {
    setWindowTitle("below");
    setGeometry(150, 120, 500, 320);
  }
  std::vector<QPoint> clicks;

 protected:
  void mousePressEvent(QMouseEvent* event) override { clicks.push_back(event->globalPosition().toPoint()); }
};

struct HighlightWindowTest : ::testing::Test {
  XcbConnection x;
  HighlightWindow ring{[] { return false; }};

  bool runUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < deadline)
      QTest::qWait(10);
    return done();
  }

  xcb_window_t ringWindow() { return static_cast<xcb_window_t>(ring.window().winId()); }

  std::uint8_t mapState(xcb_window_t window) {
    XcbPointer<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(x.get(), xcb_get_window_attributes(x.get(), window), nullptr));
    return reply ? reply->map_state : std::uint8_t(XCB_MAP_STATE_UNMAPPED);
  }

  // Where the X server has the window, in its pixels from the top left of the root.
  QRect serverGeometry(xcb_window_t window) {
    XcbPointer<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(x.get(), xcb_get_geometry(x.get(), window), nullptr));
    XcbPointer<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        x.get(), xcb_translate_coordinates(x.get(), window, x.root(), 0, 0), nullptr));
    if (!geometry || !origin) return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
  }

  // The root's child that holds `window` (its frame, when the window manager reparented it).
  xcb_window_t topLevel(xcb_window_t window) {
    for (;;) {
      XcbPointer<xcb_query_tree_reply_t> tree(
          xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), window), nullptr));
      if (!tree || tree->parent == x.root() || tree->parent == XCB_NONE) return window;
      window = tree->parent;
    }
  }

  // Whether `upper` is stacked above `lower` among the root's children.
  bool stackedAbove(xcb_window_t upper, xcb_window_t lower) {
    XcbPointer<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(x.get(), xcb_query_tree(x.get(), x.root()), nullptr));
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const auto* end = children + xcb_query_tree_children_length(tree.get());
    return std::find(children, end, topLevel(upper)) > std::find(children, end, topLevel(lower));
  }

  // Clicks at the centre of a ring around another window, and on the ring's line, reach that window.
  void expectClicksFallThrough() {
    ClickRecorder below;
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&below));
    const QRect target(below.mapToGlobal(QPoint(0, 0)), below.size());
    ring.show({{double(target.x()), double(target.y())}, {double(target.width()), double(target.height())}});
    ASSERT_TRUE(runUntil([&] { return mapState(ringWindow()) == XCB_MAP_STATE_VIEWABLE; }));
    ASSERT_TRUE(stackedAbove(ringWindow(), static_cast<xcb_window_t>(below.winId())));

    const double scale = ring.window().devicePixelRatioF();
    const QPoint centre = target.center();
    // A point on the ring's line, halfway along its top edge.
    const QPoint onLine(centre.x(), target.y() + 14);
    for (const QPoint point : {centre, onLine}) {
      const std::size_t before = below.clicks.size();
      click(QPoint(int(point.x() * scale), int(point.y() * scale)));
      ASSERT_TRUE(runUntil([&] { return below.clicks.size() > before; })) << point.x() << "," << point.y();
      EXPECT_EQ(below.clicks.back(), point);
    }
  }

  // A real click of the first button, through the X server, at `point` in its pixels.
  void click(QPoint point) {
    xcb_test_fake_input(x.get(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, x.root(), std::int16_t(point.x()),
                        std::int16_t(point.y()), 0);
    xcb_test_fake_input(x.get(), XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(x.get(), XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    x.flush();
  }
};

TEST_F(HighlightWindowTest, MapsAtTheFrameAskedInTheDesktopsPixels) {
  ring.show({{210.25, 140}, {300, 120.5}});
  ASSERT_TRUE(runUntil([&] { return mapState(ringWindow()) == XCB_MAP_STATE_VIEWABLE; }));
  const double scale = ring.window().devicePixelRatioF();
  // Run again on a scaled desktop (below), the program must really have been scaled.
  if (const char* asked = std::getenv("QUILLO_EXPECT_SCALE")) {
    ASSERT_EQ(scale, std::atof(asked));
  }
  const QRect expected(int(210 * scale), int(140 * scale), int(301 * scale), int(121 * scale));
  EXPECT_TRUE(runUntil([&] { return serverGeometry(ringWindow()) == expected; }))
      << serverGeometry(ringWindow()).x() << "," << serverGeometry(ringWindow()).y() << " "
      << serverGeometry(ringWindow()).width() << "x" << serverGeometry(ringWindow()).height();
}

TEST_F(HighlightWindowTest, ShowingItAgainMovesTheRingThatIsUp) {
  ring.show({{100, 100}, {200, 80}});
  ASSERT_TRUE(runUntil([&] { return mapState(ringWindow()) == XCB_MAP_STATE_VIEWABLE; }));
  ring.show({{400, 300}, {160, 60}});
  const double scale = ring.window().devicePixelRatioF();
  const QRect expected(int(400 * scale), int(300 * scale), int(160 * scale), int(60 * scale));
  EXPECT_TRUE(runUntil([&] { return serverGeometry(ringWindow()) == expected; }));
}

TEST_F(HighlightWindowTest, ClicksOnTheRingAndInsideItReachTheWindowBelow) {
  expectClicksFallThrough();
}

TEST_F(HighlightWindowTest, ClicksReachTheWindowBelowWhereACompositorBlendsTheRing) {
  // A compositing manager announces itself by owning this selection; the ring then covers its
  // whole frame with translucent pixels, and only its input shape lets clicks through.
  const xcb_window_t announcer = x.createHiddenWindow();
  xcb_set_selection_owner(x.get(), announcer, x.atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
  x.flush();
  expectClicksFallThrough();
  EXPECT_TRUE(ring.window().mask().isEmpty());
}

TEST_F(HighlightWindowTest, HideUnmapsIt) {
  ring.show({{100, 100}, {200, 80}});
  ASSERT_TRUE(runUntil([&] { return mapState(ringWindow()) == XCB_MAP_STATE_VIEWABLE; }));
  ring.hide();
  EXPECT_TRUE(runUntil([&] { return mapState(ringWindow()) == XCB_MAP_STATE_UNMAPPED; }));
  EXPECT_FALSE(ring.window().isVisible());
}

TEST(HighlightWindowScaling, MapsAtTheFrameAskedOnADesktopScaledByTwo) {
  // Qt takes its scale when the application starts: the placement test runs again in a program
  // of its own, on the same desktop, with everything scaled by two.
  const auto self = std::filesystem::read_symlink("/proc/self/exe");
  const auto log = std::filesystem::temp_directory_path() / ("quillo-scaled-" + std::to_string(getpid()));
  const std::string command =
      "QT_SCALE_FACTOR=2 QUILLO_EXPECT_SCALE=2 '" + self.string() +
      "' --gtest_filter=HighlightWindowTest.MapsAtTheFrameAskedInTheDesktopsPixels >'" + log.string() +
      "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream output(log);
  const std::string text((std::istreambuf_iterator<char>(output)), std::istreambuf_iterator<char>());
  std::filesystem::remove(log);
  EXPECT_EQ(status, 0) << text;
  EXPECT_NE(text.find("[  PASSED  ] 1 test"), std::string::npos) << text;
}

}  // namespace
}  // namespace quillo::ui
