#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "clip_fixture.h"

namespace {

using quillo::cli::testing::CliRun;

// quillo-cli clip's content commands, with a history and preferences of the test's own.
class ClipContentCli : public quillo::cli::testing::ClipFixture {
 protected:
  // The tags of the one entry with this id, as "key:value".
  std::vector<std::string> tags(const std::string& id) {
    std::vector<std::string> found;
    for (const auto& entry : json("clip list --json")) {
      if (entry["id"] != id) continue;
      for (const auto& tag : entry["tags"])
        found.push_back(tag["key"].get<std::string>() + ":" + tag["value"].get<std::string>());
    }
    return found;
  }
  static std::string fixture(const char* name) {
    return std::string(QUILLO_CLIPBOARD_TEST_DATA) + "/" + name;
  }
};

using Tags = std::vector<std::string>;
constexpr const char* kUnusableFormat = "This clipboard format cannot be used for this action.";

// The tagger's rules have tests of their own; these show that add hands it the app, page and files.
TEST_F(ClipContentCli, AddTagsWhatItRecords) {
  EXPECT_EQ(tags(add("--app Browser --bundle-id org.example.browser --source "
                     "https://www.example.com/settings/api-keys s3cr3tValue")),
            (Tags{"app:Browser", "bundle:org.example.browser", "site:example.com",
                  "source:https://www.example.com/settings/api-keys", "category:text", "category:web",
                  "category:token"}));
  EXPECT_EQ(tags(add("-", "{\n  \"a\": 1\n}\n")), (Tags{"app:quillo-cli", "category:text", "category:json"}));
  EXPECT_EQ(tags(add("https://www.docs.example.org/guide")),
            (Tags{"app:quillo-cli", "link-site:docs.example.org", "category:link"}));
  EXPECT_EQ(tags(add("--file - --type public.file-url", "file:///home/me/Report%202.PDF")),
            (Tags{"app:quillo-cli", "extension:pdf", "category:file", "category:pdf"}));
  EXPECT_EQ(tags(add("--file " + fixture("blank.png") + " --type public.png")),
            (Tags{"app:quillo-cli", "category:image"}));
}

TEST_F(ClipContentCli, CleanAndOcrPrintTextOrRefuseWhatHasNone) {
  const std::string note = add("-", "# Title\n\nSome **bold** and [a link](https://example.org).\n");
  const CliRun cleaned = run("clip clean " + note);
  EXPECT_EQ(cleaned.status, 0) << cleaned.errors;
  EXPECT_EQ(cleaned.output, "Title\n\nSome bold and a link (https://example.org).\n");
  const std::string image = add("--file " + fixture("blank.png") + " --type public.png");
  EXPECT_TRUE(failedWith(run("clip clean " + image), kUnusableFormat));
  EXPECT_TRUE(failedWith(run("clip clean 00000000-0000-4000-8000-000000000000"),
                         "This item is no longer in clipboard history."));

  const CliRun read = run("clip ocr " + fixture("known-text.png") + " " + fixture("blank.png") + " " +
                          fixture("known-text-turned.jpg"));
  EXPECT_EQ(read.status, 0) << read.errors;
  EXPECT_EQ(read.output,
            "Quillo reads copied text\nSecond line 2026\nQuillo reads copied text\nSecond line 2026\n");
  quillo::testing::writeFile(data_ / "notes.txt", "not an image");
  EXPECT_TRUE(failedWith(run("clip ocr " + (data_ / "notes.txt").string()), kUnusableFormat));
  EXPECT_EQ(run("clip ocr").status, 2);
}

TEST_F(ClipContentCli, AddPreparesImagesAndFoldersAndStoresTheTextInImages) {
  const std::string image = add("--file " + fixture("known-text.png") + " --type public.png");
  const std::string folder = add("--file - --type public.file-url", "file:///home/me/Projects/");
  const auto entry = [&](const std::string& id) {
    for (const auto& found : json("clip list --json"))
      if (found["id"] == id) return found;
    return nlohmann::json();
  };
  EXPECT_EQ(entry(image)["title"], "Image · 392 × 105");
  EXPECT_EQ(entry(image)["imageText"], "Quillo reads copied text\nSecond line 2026");
  EXPECT_EQ(entry(folder)["title"], "Projects");
  const CliRun found = run("clip search 'reads copied'");
  EXPECT_NE(found.output.find(image), std::string::npos) << found.output;

  const CliRun again = run("clip ocr --store " + image);
  EXPECT_EQ(again.status, 0) << again.errors;
  EXPECT_EQ(again.output, "Quillo reads copied text\nSecond line 2026\n");
  EXPECT_TRUE(failedWith(run("clip ocr --store " + folder), kUnusableFormat));
}

TEST_F(ClipContentCli, JoinCombinesEntriesInTheOrderGiven) {
  const std::string first = add("**first**");
  const std::string second = add("second");
  const std::string file = add("--file - --type public.file-url", "file:///home/me/a%20b.txt");
  const std::string image = add("--file " + fixture("blank.png") + " --type public.png");

  const CliRun plain = run("clip join " + second + " " + first + " " + file + " --separator ', '");
  EXPECT_EQ(plain.status, 0) << plain.errors;
  EXPECT_EQ(plain.output, "second, **first**, /home/me/a b.txt\n");
  // The preference's separator (one line feed by default) and the clean style.
  EXPECT_EQ(run("clip join " + first + " " + second + " --style clean").output, "first\nsecond\n");

  const CliRun withImage = run("clip join " + first + " " + image + " --style plain");
  EXPECT_EQ(withImage.status, 0) << withImage.errors;
  EXPECT_EQ(withImage.output, "**first**\n");
  EXPECT_EQ(withImage.errors, "Images are left out.\n");

  EXPECT_TRUE(failedWith(run("clip join " + image + " " + image + " --style plain"),
                         "Select text, images, or files as separate groups to paste together."));
  EXPECT_TRUE(failedWith(run("clip join " + file + " " + file + " --style clean"), kUnusableFormat));
  EXPECT_EQ(run("clip join " + first + " --style fancy").status, 2);
}

}  // namespace
