#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "clip_fixture.h"

namespace {

using ClipCli = quillo::cli::testing::ClipFixture;

TEST_F(ClipCli, AddDescribesCopiesAsTheAppDoes) {
  const std::string text = add("--pinned -", "\n  First line of a note\nsecond line\n");
  const std::string link = add("https://example.org/page");
  const std::string sentence = add("see https://example.org/page now");
  quillo::testing::writeFile(data_ / "shot.png", std::string("\x89PNG\r\n\x1a\n", 8));
  const std::string image = add("--file " + (data_ / "shot.png").string() + " --type public.png");
  const std::string file = add("--file - --type public.file-url", "file:///home/me/Report%202.pdf");
  EXPECT_TRUE(std::filesystem::exists(history()));

  const nlohmann::json entries = json("clip list --json");
  ASSERT_EQ(entries.size(), 5u);
  const auto find = [&](const std::string& id) {
    return *std::find_if(entries.begin(), entries.end(),
                         [&](const auto& entry) { return entry["id"] == id; });
  };
  EXPECT_EQ(entries[0]["id"], text);  // pinned first
  EXPECT_EQ(find(text)["title"], "First line of a note");
  EXPECT_EQ(find(text)["text"], "First line of a note\nsecond line");
  EXPECT_EQ(find(text)["pinned"], true);
  EXPECT_TRUE(find(text)["pinnedAt"].is_number());
  EXPECT_EQ(find(link)["kind"], "link");
  EXPECT_EQ(find(sentence)["kind"], "text");
  EXPECT_EQ(find(image)["kind"], "image");
  EXPECT_EQ(find(file)["kind"], "file");
  EXPECT_EQ(find(file)["title"], "Report 2.pdf");
  EXPECT_EQ(find(file)["text"], "/home/me/Report 2.pdf");
  for (const auto& entry : entries) {
    for (const char* field : {"id", "title", "text", "kind", "sourceAppID", "sourceAppName", "copiedAt",
                              "pinned", "pinnedAt", "bytes", "tags", "imageText"}) {
      EXPECT_TRUE(entry.contains(field)) << field;
    }
    EXPECT_TRUE(entry["imageText"].is_null());
  }
  EXPECT_EQ(json("clip list --filter links --json").size(), 1u);
  EXPECT_EQ(json("clip list --filter Text --limit 1 --json").size(), 1u);
  EXPECT_EQ(json("clip stats --json")["count"], 5);

  // The same text again is the same entry.
  EXPECT_EQ(add("https://example.org/page"), link);
  EXPECT_EQ(json("clip stats --json")["count"], 5);
}

TEST_F(ClipCli, SearchStrongShowAndChanges) {
  const std::string id = add("quarterly budget draft");
  add("budgeting tips");
  const nlohmann::json found = json("clip search budgt --json");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(run("clip strong budget").output.substr(0, 36), id);
  EXPECT_EQ(run("clip strong budg").status, 1);
  EXPECT_TRUE(nlohmann::json::parse(run("clip strong budg --json").output).is_null());
  EXPECT_EQ(run("clip show " + id).output, "quarterly budget draft\n");

  EXPECT_EQ(run("clip rename " + id + " Money plan").status, 0);
  EXPECT_EQ(run("clip pin " + id).status, 0);
  const nlohmann::json pinned = json("clip list --filter pinned --json");
  ASSERT_EQ(pinned.size(), 1u);
  EXPECT_EQ(pinned[0]["title"], "Money plan");
  EXPECT_EQ(run("clip unpin " + id).status, 0);
  EXPECT_TRUE(json("clip list --filter pinned --json").empty());

  EXPECT_EQ(run("clip pin " + id).status, 0);
  EXPECT_EQ(run("clip clear").status, 0);
  EXPECT_EQ(json("clip list --json").size(), 1u);
  EXPECT_EQ(run("clip delete " + id).status, 0);
  EXPECT_EQ(run("clip stats").output, "count 0\nbytes 0\n");
}

TEST_F(ClipCli, StoreErrorsPrintTheirMessageAndChangeNothing) {
  const std::string id = add("keep");
  EXPECT_TRUE(failedWith(run("clip delete " + id + " 00000000-0000-4000-8000-000000000000"),
                         "This item is no longer in clipboard history."));
  EXPECT_EQ(json("clip stats --json")["count"], 1);

  EXPECT_EQ(run("prefs set clipboard.megabytes 1").status, 0);  // taken as 16 MB
  quillo::testing::writeFile(data_ / "big.txt", std::string(17 * 1024 * 1024, 'x'));
  EXPECT_TRUE(
      failedWith(run("clip add --file " + (data_ / "big.txt").string() + " --type public.utf8-plain-text"),
                 "Clipboard storage is full. Remove items, unpin entries, or increase the storage limit."));
  EXPECT_EQ(json("clip stats --json")["count"], 1);

  // --database names another file, leaving the standard one alone.
  const std::filesystem::path other = data_ / "elsewhere" / "other.sqlite";
  EXPECT_EQ(run("clip add --database " + other.string() + " elsewhere").status, 0);
  EXPECT_NE(run("clip list --database " + other.string()).output.find("elsewhere"), std::string::npos);
  EXPECT_EQ(json("clip stats --json")["count"], 1);

  for (const std::string arguments : {"clip show not-an-id", "clip list --filter photos", "clip frobnicate"})
    EXPECT_EQ(run(arguments).status, 2) << arguments;
}

// /dev/zero was read until memory ran out before.
TEST_F(ClipCli, AddRefusesACopyLargerThanItReads) {
  EXPECT_TRUE(failedWith(run("clip add --file /dev/zero --type public.png"),
                         "cannot add /dev/zero: it is larger than 64 MB"));
  EXPECT_EQ(json("clip stats --json")["count"], 0);
}

TEST_F(ClipCli, OptionsAnActionDoesNotTakeAreUsageErrorsThatChangeNothing) {
  add("first");
  add("--pinned second");
  const std::string third = add("third");
  for (const std::string& arguments : std::vector<std::string>{
           "clip clear --limit 1", "clip clear --include-pinned --json", "clip list --title x --separator y",
           "clip prune --style clean", "clip delete --filter text " + third, "clip add --limit 1 fourth"}) {
    const quillo::cli::testing::CliRun result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_EQ(result.output, "") << arguments;
  }
  EXPECT_EQ(json("clip stats --json")["count"], 3);
  EXPECT_EQ(run("clip clear --limit 1").errors, "quillo-cli clip: clear does not take --limit\n");
}

}  // namespace
