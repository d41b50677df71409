#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "program_process.h"

namespace quillo::ui::testing {
namespace {

using std::chrono_literals::operator""s;

// How far a drawing may stray from its reference: anti-aliasing and font hinting differ a little
// between library versions, a layout change moves whole rows.
constexpr int kChannelTolerance = 48;
constexpr double kDifferentPixelsAllowed = 0.01;

// The fonts pinned to DejaVu (fonts-dejavu-core) through a fontconfig file of the test's own, and
// one pixel per point, so that the drawings are the same on every machine.
std::map<std::string, std::string> pinnedDrawing(const TestHome& home) {
  const auto config = home.folder / "fonts.conf";
  std::ofstream(config)
      << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
      << "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
      << "  <cachedir>" << (home.folder / "fontconfig").string() << "</cachedir>\n"
      << "  <match target=\"pattern\"><edit name=\"family\" mode=\"prepend\" binding=\"strong\">"
      << "<string>DejaVu Sans</string></edit></match>\n"
      << "</fontconfig>\n";
  return {{"FONTCONFIG_FILE", config.string()},
          {"QT_QPA_PLATFORM", "offscreen"},
          {"QT_SCALE_FACTOR", "1"},
          {"QT_FONT_DPI", "96"},
          {"QT_ENABLE_HIGHDPI_SCALING", "0"}};
}

// The share of pixels that differ by more than the tolerance in any channel; 1 for another size.
double difference(const QImage& actual, const QImage& reference) {
  if (actual.size() != reference.size()) return 1;
  const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
  const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
  long different = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = rowA[x], q = rowB[x];
      const int most = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                 std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
      if (most > kChannelTolerance) ++different;
    }
  }
  return static_cast<double>(different) / (static_cast<double>(a.width()) * a.height());
}

struct ProgramSnapshots : ::testing::Test {
  TestHome home;
  std::filesystem::path references = QUILLO_SNAPSHOT_REFERENCES;

  // Draws the windows for `query`; with QUILLO_UPDATE_SNAPSHOTS set, the drawings become the new
  // references.
  std::filesystem::path draw(const std::string& query) {
    const auto folder = home.folder / "snapshots";
    std::vector<std::string> arguments{"--snapshot", folder.string()};
    if (!query.empty()) arguments.insert(arguments.end(), {"--query", query});
    ProgramProcess program(home, arguments, std::nullopt, pinnedDrawing(home));
    EXPECT_EQ(program.wait(30s), 0);
    if (std::getenv("QUILLO_UPDATE_SNAPSHOTS") != nullptr) {
      for (const auto& file : std::filesystem::directory_iterator(folder))
        std::filesystem::copy_file(file.path(), references / file.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return folder;
  }

  void expectLikeReference(const std::filesystem::path& folder, const std::string& name) {
    const QImage actual(QString::fromStdString((folder / (name + ".png")).string()));
    const QImage reference(QString::fromStdString((references / (name + ".png")).string()));
    ASSERT_FALSE(actual.isNull()) << name << ".png was not written";
    ASSERT_FALSE(reference.isNull()) << "no reference " << (references / (name + ".png"));
    const double share = difference(actual, reference);
    if (share > kDifferentPixelsAllowed) {
      const auto kept = std::filesystem::path(QUILLO_SNAPSHOT_OUTPUT) / (name + ".png");
      std::filesystem::create_directories(kept.parent_path());
      std::filesystem::copy_file(folder / (name + ".png"), kept,
                                 std::filesystem::copy_options::overwrite_existing);
      ADD_FAILURE() << name << ".png differs from its reference in " << share * 100
                    << "% of its pixels; kept at " << kept;
    }
  }
};

TEST_F(ProgramSnapshots, ThePanelTheClipboardHistoryAndTheSettingsLookAsTheirReferences) {
  home.stored("openingScope", "mac");
  const auto folder = draw("wifi");
  expectLikeReference(folder, "panel");
  expectLikeReference(folder, "clipboard");
  expectLikeReference(folder, "settings");
}

}  // namespace
}  // namespace quillo::ui::testing
