#include <gtest/gtest.h>

#include <fstream>

#include "quillo/base/uuid.h"
#include "quillo/service/file_nonce_store.h"
#include "quillo/service/memory_nonce_store.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::service {
namespace {

constexpr std::int64_t kNow = 1'800'000'000'000;
constexpr std::int64_t kTenMinutes = 10 * 60 * 1000;

TEST(FileNonceStore, RefusesANonceSeenBeforeARestart) {
  const quillo::testing::TemporaryFolder folder;
  {
    FileNonceStore store(folder / "nonces");
    EXPECT_TRUE(store.remember("A", kNow, kNow + kTenMinutes));
  }
  FileNonceStore restarted(folder / "nonces");
  EXPECT_FALSE(restarted.remember("A", kNow + 1000, kNow + 1000 + kTenMinutes));
  EXPECT_TRUE(restarted.remember("B", kNow + 1000, kNow + 1000 + kTenMinutes));
}

TEST(FileNonceStore, SeesWhatAnotherStoreOnTheSameFileRecorded) {
  const quillo::testing::TemporaryFolder folder;
  FileNonceStore first(folder / "nonces");
  FileNonceStore second(folder / "nonces");
  EXPECT_TRUE(first.remember("A", kNow, kNow + kTenMinutes));
  EXPECT_FALSE(second.remember("A", kNow, kNow + kTenMinutes));
  EXPECT_TRUE(second.remember("B", kNow, kNow + kTenMinutes));
  EXPECT_FALSE(first.remember("B", kNow, kNow + kTenMinutes));
}

TEST(FileNonceStore, ForgetsExpiredNoncesAndStaysSmall) {
  const quillo::testing::TemporaryFolder folder;
  FileNonceStore store(folder / "nonces");
  for (int i = 0; i < 10000; ++i)
    ASSERT_TRUE(
        store.remember(base::Uuid::random().text(), kNow + i * kTenMinutes, kNow + (i + 1) * kTenMinutes));
  // Each nonce expired before the next came, so the file was rewritten along the way.
  EXPECT_LT(std::filesystem::file_size(folder / "nonces"), 4096u * 50);
  EXPECT_TRUE(store.remember("A", kNow, kNow + kTenMinutes));
}

TEST(FileNonceStore, ReadsPastALineACrashCutShort) {
  const quillo::testing::TemporaryFolder folder;
  {
    FileNonceStore store(folder / "nonces");
    EXPECT_TRUE(store.remember("A", kNow, kNow + kTenMinutes));
  }
  {
    std::ofstream file(folder / "nonces", std::ios::app);
    file << "1800000";
  }
  FileNonceStore restarted(folder / "nonces");
  EXPECT_TRUE(restarted.remember("B", kNow, kNow + kTenMinutes));
  FileNonceStore again(folder / "nonces");
  EXPECT_FALSE(again.remember("A", kNow, kNow + kTenMinutes));
  EXPECT_FALSE(again.remember("B", kNow, kNow + kTenMinutes));
}

TEST(MemoryNonceStore, AcceptsANonceAgainOnceItExpired) {
  MemoryNonceStore store;
  EXPECT_TRUE(store.remember("A", kNow, kNow + kTenMinutes));
  EXPECT_FALSE(store.remember("A", kNow + 1, kNow + kTenMinutes));
  EXPECT_TRUE(store.remember("A", kNow + kTenMinutes, kNow + 2 * kTenMinutes));
}

}  // namespace
}  // namespace quillo::service
