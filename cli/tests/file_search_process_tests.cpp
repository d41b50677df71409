#include <fcntl.h>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli_runner.h"
#include "quillo/testing/test_service.h"

namespace {

using quillo::cli::testing::CliRun;
using quillo::testing::ServiceReply;
using quillo::testing::ServiceRequest;

using quillo::testing::kFilesPath;
using quillo::testing::kFileTypesPath;

// A home folder with documents, and quillo-cli run with it and preferences of its own.
class FileSearch : public quillo::cli::testing::CliFixture {
 protected:
  void SetUp() override {
    for (const char* name :
         {"Documents/Q3 Sales Report.pdf", "Documents/Report Q3.pdf", "Documents/notes.txt",
          "Documents/Taxes/2025 return.pdf", "Pictures/beach.jpg", "Pictures/dunes.png"})
      quillo::testing::writeFile(home() / name, "data");
  }
  std::string environment() const override { return CliFixture::environment() + " HOME=" + home().string(); }
  std::filesystem::path home() const { return folder / "home"; }
  nlohmann::json search(const std::string& options, const std::string& query) {
    return json("search --scope files --json " + options + " '" + query + "'");
  }

  // Waits for the index a search left to be written to the cache folder (by a process of its
  // own, whole or not at all); true once there is one.
  bool savedIndexWritten() const {
    const auto saved = folder / "cache/quillo/file-index";
    const auto indexes = [&] {
      return std::filesystem::is_directory(saved) &&
             std::count_if(std::filesystem::directory_iterator(saved), {},
                           [](const auto& entry) { return entry.path().extension() == ".index"; }) == 1;
    };
    for (int wait = 0; wait < 500 && !indexes(); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return indexes();
  }
  std::string cacheEnvironment() const { return "XDG_CACHE_HOME=" + (folder / "cache").string(); }

  std::string serviceOptions() const {
    std::string key;
    for (const std::uint8_t byte : service.clientKey())
      key += fmt::format("{:02x}", byte);
    quillo::testing::writeFile(folder / "key", key);
    return "--service " + service.baseUrl() + " --key-file " + (folder / "key").string() + " --ca-file " +
           service.caFile().string();
  }

  quillo::testing::TemporaryFolder folder;
  quillo::testing::TestService service;
};

TEST_F(FileSearch, AFolderWhosePathIsNotValidTextIsRefusedBeforeAnythingIsStored) {
  const std::filesystem::path folder = home() / "caf\xE9";
  std::filesystem::create_directories(folder);
  const CliRun refused = run("folders add '" + folder.string() + "'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.errors.find("Quillo can only search folders whose path is valid text."),
            std::string::npos)
      << refused.errors;
  EXPECT_EQ(run("folders list").output, "");
}

TEST_F(FileSearch, FoldersAreCheckedBeforeTheyAreKept) {
  const CliRun disk = run("folders add /");
  EXPECT_EQ(disk.status, 1);
  EXPECT_NE(disk.errors.find("rather than the entire home folder or disk"), std::string::npos);
  // The home folder, a file, and a good folder given with a refused one are all kept out.
  for (const auto& folders :
       {home().string(), (home() / "Documents/notes.txt").string(), (home() / "Pictures").string() + " /"})
    EXPECT_EQ(run("folders add " + folders).status, 1) << folders;
  EXPECT_EQ(run("folders list").output, "");

  EXPECT_EQ(
      run("folders add " + (home() / "Documents").string() + " " + (home() / "Pictures").string()).status, 0);
  const auto listed = nlohmann::json::parse(run("folders list --json").output);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0]["path"], (home() / "Documents").string());
  EXPECT_EQ(listed[0]["state"], "ok");
  EXPECT_EQ(listed[0]["message"], nullptr);

  std::filesystem::rename(home() / "Pictures", home() / "Pictures moved");
  const auto gone = nlohmann::json::parse(run("folders list --json").output);
  EXPECT_EQ(gone[1]["state"], "unavailable");

  EXPECT_EQ(run("folders remove " + (home() / "Pictures").string()).status, 0);
  EXPECT_EQ(run("folders remove " + (home() / "Pictures").string()).status, 1);
  EXPECT_EQ(run("folders list").output, (home() / "Documents").string() + "\n");
}

// A folder whose path is longer than the system lets a program open cannot be read, by root
// either: it is made one level at a time, relative to its parent.
TEST_F(FileSearch, FolderListSaysWhenAFolderIsOnlyPartlyIndexed) {
  ASSERT_EQ(run("folders add " + (home() / "Documents").string()).status, 0);
  EXPECT_EQ(json("folders list --json")[0]["state"], "ok");
  int parent = ::open((home() / "Documents").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string level(250, 'd');
  for (int depth = 0; depth < 20 && parent >= 0; ++depth) {
    ASSERT_EQ(::mkdirat(parent, level.c_str(), 0755), 0);
    const int child = ::openat(parent, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(parent);
    parent = child;
  }
  ASSERT_GE(parent, 0);
  ::close(parent);
  const auto folders = json("folders list --json");
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0]["state"], "incomplete");
  EXPECT_NE(folders[0]["message"].get<std::string>().find("1 folder could not be read"), std::string::npos)
      << folders[0]["message"];
  // Removed deepest first, each relative to its parent, as no path reaches the bottom.
  for (int depth = 19; depth >= 0; --depth) {
    int at = ::open((home() / "Documents").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int k = 0; k < depth && at >= 0; ++k) {
      const int child = ::openat(at, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(at);
      at = child;
    }
    ASSERT_GE(at, 0);
    EXPECT_EQ(::unlinkat(at, level.c_str(), AT_REMOVEDIR), 0);
    ::close(at);
  }
}

TEST_F(FileSearch, AFileIndexLibraryThatCannotBeLoadedFailsTheSearch) {
  ASSERT_EQ(run("folders add " + (home() / "Documents").string()).status, 0);
  const CliRun searched =
      run("search --scope files report", "", "QUILLO_FFF_LIBRARY=" + (folder / "missing.so").string());
  EXPECT_EQ(searched.status, 1);
  EXPECT_NE(searched.errors.find("QUILLO_FFF_LIBRARY"), std::string::npos) << searched.errors;
}

TEST_F(FileSearch, RepeatedSearchesKeepTheIndexInTheCacheFolderAndSeeChanges) {
  ASSERT_EQ(run("folders add " + (home() / "Documents").string()).status, 0);
  EXPECT_EQ(run("search --scope files report", "", cacheEnvironment()).status, 0);
  EXPECT_TRUE(savedIndexWritten());
  quillo::testing::writeFile(home() / "Documents/Taxes/zebra budget.ods", "data");
  const CliRun again = run("search --scope files zebra", "", cacheEnvironment());
  EXPECT_NE(again.output.find("zebra budget.ods"), std::string::npos) << again.output;
}

// A search from a saved index begins before every folder's time is read (here, thousands of
// them): what it finds is kept only if none changed.
TEST_F(FileSearch, AFileAddedAmongManyFoldersIsFoundByTheNextSearch) {
  const auto archive = home() / "Archive";
  for (int folder = 0; folder < 3000; ++folder)
    std::filesystem::create_directories(archive / std::to_string(folder / 100) / std::to_string(folder));
  ASSERT_EQ(run("folders add " + archive.string()).status, 0);
  EXPECT_EQ(run("search --scope files budget", "", cacheEnvironment()).status, 0);
  ASSERT_TRUE(savedIndexWritten());
  quillo::testing::writeFile(archive / "29/2999/zebra budget.ods", "data");
  const CliRun again = run("search --scope files zebra", "", cacheEnvironment());
  EXPECT_NE(again.output.find("zebra budget.ods"), std::string::npos) << again.output;
}

TEST_F(FileSearch, LocalRowsNameTheFileAndItsFolder) {
  EXPECT_EQ(run("search --scope files report").status, 1);  // no folders yet
  ASSERT_EQ(run("folders add " + (home() / "Documents").string()).status, 0);

  const CliRun logged = run("search --scope files --json 'q3 sales report'", "", "QUILLO_LOG_LEVEL=' Debug'");
  EXPECT_NE(logged.errors.find("[quillo-file-route] route=exact-local matches="), std::string::npos);
  const auto result = nlohmann::json::parse(logged.output);
  EXPECT_EQ(result["route"], "exact-local");
  EXPECT_EQ(result["service"]["state"], "off");
  const auto& row = result["rows"][0];
  EXPECT_EQ(row["title"], "Q3 Sales Report.pdf");
  EXPECT_EQ(row["kind"], "File");
  EXPECT_EQ(row["url"], "file://" + (home() / "Documents").string() + "/Q3%20Sales%20Report.pdf");
  EXPECT_EQ(
      row["fileDetail"],
      (nlohmann::json{{"folder", "~/Documents"}, {"size", "4 bytes"}, {"day", row["fileDetail"]["day"]}}));
  EXPECT_EQ(row["fileDetail"]["day"].get<std::string>().size(), 10u);

  const auto folders = search("", "taxes");
  EXPECT_EQ(folders["rows"][0]["kind"], "Folder");
  EXPECT_EQ(folders["rows"][0]["fileDetail"]["size"], "");
}

TEST_F(FileSearch, TheServiceRanksDescribedSearchesWhenAllowed) {
  ASSERT_EQ(
      run("folders add " + (home() / "Documents").string() + " " + (home() / "Pictures").string()).status, 0);
  // Without the user's consent no file search goes to the service.
  const auto withoutConsent = search(serviceOptions(), "pictures from the beach trip");
  EXPECT_EQ(withoutConsent["service"]["state"], "off");
  EXPECT_TRUE(service.requests().empty());

  ASSERT_EQ(run("prefs set searchFilesWithRavo true").status, 0);
  service.answer(kFileTypesPath, {.body = quillo::testing::rankingBody({{"image", 0.9}, {"none", 0.1}})});
  service.on(kFilesPath, [](const ServiceRequest& request) {
    std::map<std::string, double> probabilities;
    const auto& files = request.json["files"];
    for (std::size_t k = 0; k < files.size(); ++k)
      if (files[k]["name"] == "beach.jpg") probabilities["c" + std::to_string(k)] = 0.8;
    return ServiceReply{.body = quillo::testing::rankingBody(probabilities, 3)};
  });
  const auto broad = search(serviceOptions(), "pictures from the beach trip");
  EXPECT_EQ(broad["route"], "broad-search");
  EXPECT_EQ(broad["service"]["state"], "answered");
  EXPECT_EQ(broad["rows"][0]["title"], "beach.jpg");
  EXPECT_EQ(broad["rows"][0]["probability"], 0.8);
  ASSERT_EQ(service.requests(kFilesPath).size(), 1u);
  EXPECT_EQ(service.requests(kFilesPath)[0].json["files"].size(), 2u);  // the two pictures
  EXPECT_TRUE(service.refusals().empty());
}

TEST_F(FileSearch, AStrongLocalRowIsCheckedAsAShortlistFirst) {
  ASSERT_EQ(run("folders add " + (home() / "Documents").string()).status, 0);
  ASSERT_EQ(run("prefs set searchFilesWithRavo true").status, 0);
  service.on(kFilesPath, [](const ServiceRequest& request) {
    EXPECT_TRUE(request.json["classifyIntent"].get<bool>());
    return ServiceReply{.body = quillo::testing::rankingBody({{"c0", 0.9}, {"suitable_for_fff", 0.75}})};
  });
  const CliRun run = this->run("search --scope files --json " + serviceOptions() + " 'q3 report'", "",
                               "QUILLO_LOG_LEVEL=debug");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find("route=validate-shortlist strong=1"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("suitable_for_fff=0.75 accepted=1 next=show-shortlist"), std::string::npos);
  const auto result = nlohmann::json::parse(run.output);
  EXPECT_EQ(result["service"]["state"], "answered");
  EXPECT_EQ(result["rows"][0]["title"], "Q3 Sales Report.pdf");
  EXPECT_EQ(result["rows"][0]["probability"], 0.9);
  EXPECT_TRUE(service.requests(kFileTypesPath).empty());
}

}  // namespace
