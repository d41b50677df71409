#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <future>
#include <thread>

#include "quillo/core/service/backend_client.h"
#include "quillo/net/curl_transport.h"
#include "quillo/service/client_keys.h"
#include "quillo/service/local_provisioning.h"
#include "quillo/service/tls_identity.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::service {
namespace {

LocalServicePaths pathsIn(const quillo::testing::TemporaryFolder& folder) {
  return {.configFolder = folder / "config/quillo",
          .dataFolder = folder / "data/quillo/ravo",
          .runtimeFolder = folder / "run/quillo"};
}

std::string text(const std::filesystem::path& file) {
  std::ifstream stream(file);
  return {std::istreambuf_iterator<char>(stream), {}};
}

TEST(LocalProvisioning, MakesAPrivateKeyAndAKeyListThatAcceptsIt) {
  const quillo::testing::TemporaryFolder folder;
  const LocalServicePaths paths = pathsIn(folder);
  const auto key = provisionLocalService(paths);
  struct stat status {};
  ASSERT_EQ(::stat(paths.signingKey().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(status.st_size, 32);
  EXPECT_NE(text(paths.keyList()).find(keyListLine(publicKeyOf(key), "")), std::string::npos);
  EXPECT_EQ(ClientKeys::read(paths.keyList()).size(), 1u);
  EXPECT_TRUE(certificateValidFor(paths.certificate(), std::chrono::hours(24 * 365)));
}

TEST(LocalProvisioning, KeepsWhatAnEarlierRunMade) {
  const quillo::testing::TemporaryFolder folder;
  const LocalServicePaths paths = pathsIn(folder);
  const auto key = provisionLocalService(paths);
  const std::string certificate = text(paths.certificate());
  EXPECT_EQ(provisionLocalService(paths), key);
  EXPECT_EQ(text(paths.certificate()), certificate);
  EXPECT_EQ(ClientKeys::read(paths.keyList()).size(), 1u);
}

TEST(LocalProvisioning, ProcessesStartingAtOnceMakeOneKeyAndOneList) {
  const quillo::testing::TemporaryFolder folder;
  const LocalServicePaths paths = pathsIn(folder);
  std::vector<std::future<std::array<std::uint8_t, 32>>> runs;
  for (int i = 0; i < 4; ++i)
    runs.push_back(std::async(std::launch::async, [&] { return provisionLocalService(paths); }));
  const auto first = runs.front().get();
  for (std::size_t i = 1; i < runs.size(); ++i)
    EXPECT_EQ(runs[i].get(), first);
  EXPECT_EQ(ClientKeys::read(paths.keyList()).size(), 1u);
}

class LocalServiceStart : public ::testing::Test {
 protected:
  const LocalServiceOptions options{.executable = QUILLO_RAVO_PATH, .startTimeout = std::chrono::seconds(10)};
  quillo::testing::TemporaryFolder folder;
  LocalServicePaths paths = pathsIn(folder);
};

TEST_F(LocalServiceStart, ChildAnswersTheLaunchersClient) {
  const LocalService local = startLocalService(paths, options);
  ASSERT_NE(local.process, nullptr);
  core::BackendClient client(local.connection.baseUrl, local.connection.signingKey,
                             std::make_shared<core::FixedCredential>(""),
                             net::makeCurlTransport({.extraCaFile = local.connection.certificate.string()}));
  const core::BackendAnswer answer = client.fileTypes("photos of the beach");
  EXPECT_GE(answer.probabilities.at("image"), 0.5);
}

TEST_F(LocalServiceStart, ServiceProvisionedByItsOwnProgramAnswersTheClient) {
  LocalServiceOptions apart = options;
  apart.provisionApart = true;
  const LocalService local = startLocalService(paths, apart);
  std::ifstream keyFile(paths.signingKey(), std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(keyFile), {}};
  EXPECT_EQ(written, std::string(local.connection.signingKey.begin(), local.connection.signingKey.end()));
  core::BackendClient client(local.connection.baseUrl, local.connection.signingKey,
                             std::make_shared<core::FixedCredential>(""),
                             net::makeCurlTransport({.extraCaFile = local.connection.certificate.string()}));
  EXPECT_GE(client.fileTypes("photos of the beach").probabilities.at("image"), 0.5);
}

TEST_F(LocalServiceStart, ProvisioningThatFailsApartSaysWhy) {
  quillo::testing::writeFile(paths.dataFolder, "a file where the data folder belongs");
  LocalServiceOptions apart = options;
  apart.provisionApart = true;
  try {
    connectLocalService(paths, apart);
    FAIL() << "provisioning succeeded";
  } catch (const LocalServiceError& error) {
    const std::string message = error.what();
    EXPECT_TRUE(message.starts_with("The local ranking service could not be prepared: cannot make '" +
                                    paths.dataFolder.string()))
        << message;
  }
}

TEST_F(LocalServiceStart, RunningServiceIsUsedInsteadOfASecondOne) {
  const LocalService first = startLocalService(paths, options);
  const LocalService second = connectLocalService(paths, options);
  EXPECT_EQ(second.process, nullptr);
  EXPECT_EQ(second.connection.baseUrl, first.connection.baseUrl);
}

TEST_F(LocalServiceStart, EndedChildWithdrawsItsAnnouncement) {
  {
    const LocalService local = startLocalService(paths, options);
    EXPECT_TRUE(readLiveAnnouncement(paths.announcement()).has_value());
  }
  EXPECT_FALSE(std::filesystem::exists(paths.announcement()));
}

// An executable file at `path`, as a build or an install leaves it.
void placeProgram(const std::filesystem::path& path) {
  quillo::testing::writeFile(path, "#!/bin/sh\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

TEST(LocalServiceExecutable, FoundFromTheDesktopProgramInTheBuildTree) {
  const quillo::testing::TemporaryFolder folder;
  placeProgram(folder / "build/ui/program/quillo");
  placeProgram(folder / "build/service/quillo-ravo");
  EXPECT_EQ(serviceExecutableBeside(folder / "build/ui/program/quillo"),
            folder / "build/service/quillo-ravo");
}

TEST(LocalServiceExecutable, FoundBesideTheInstalledProgramBeforeAnyOther) {
  const quillo::testing::TemporaryFolder folder;
  placeProgram(folder / "usr/bin/quillo");
  placeProgram(folder / "usr/bin/quillo-ravo");
  placeProgram(folder / "usr/lib/quillo/quillo-ravo");
  EXPECT_EQ(serviceExecutableBeside(folder / "usr/bin/quillo"), folder / "usr/bin/quillo-ravo");
}

TEST(LocalServiceExecutable, FoundInThePrivateLibraryFolderOfAnInstall) {
  const quillo::testing::TemporaryFolder folder;
  placeProgram(folder / "usr/bin/quillo");
  placeProgram(folder / "usr/lib/quillo/quillo-ravo");
  EXPECT_EQ(serviceExecutableBeside(folder / "usr/bin/quillo"), folder / "usr/lib/quillo/quillo-ravo");
}

TEST(LocalServiceExecutable, AFileThatCannotRunIsNotTaken) {
  const quillo::testing::TemporaryFolder folder;
  placeProgram(folder / "usr/bin/quillo");
  quillo::testing::writeFile(folder / "usr/bin/quillo-ravo", "");
  EXPECT_EQ(serviceExecutableBeside(folder / "usr/bin/quillo"), std::nullopt);
}

}  // namespace
}  // namespace quillo::service
