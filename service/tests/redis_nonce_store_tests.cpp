#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "quillo/service/redis_nonce_store.h"
#include "running_service.h"

extern char** environ;

namespace quillo::service {
namespace {

constexpr std::int64_t kRedisNow = 1'800'000'000'000;
constexpr std::int64_t kRedisTenMinutes = 10 * 60 * 1000;

int freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(fd);
  if (!bound) throw std::runtime_error("no free port on 127.0.0.1");
  return ntohs(address.sin_port);
}

// A real redis-server on a free port of 127.0.0.1, keeping nothing on disk; ended with the test.
class RedisServer {
 public:
  RedisServer() : port_(freePort()) {
    const std::string port = std::to_string(port_);
    std::vector<std::string> arguments = {"redis-server",
                                          "--port",
                                          port,
                                          "--bind",
                                          "127.0.0.1",
                                          "--save",
                                          "",
                                          "--appendonly",
                                          "no",
                                          "--dir",
                                          folder_.path().string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid_, "redis-server", nullptr, nullptr, argv.data(), environ) != 0)
      throw std::runtime_error("redis-server could not be started; install the redis-server package");
    for (int attempt = 0; attempt < 500; ++attempt) {
      try {
        RedisNonceStore probe("127.0.0.1", port_);
        return;
      } catch (const NonceStoreError&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    throw std::runtime_error("redis-server did not answer within 5 s");
  }
  ~RedisServer() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  RedisServer(const RedisServer&) = delete;
  RedisServer& operator=(const RedisServer&) = delete;

  int port() const { return port_; }
  std::string address() const { return "redis://127.0.0.1:" + std::to_string(port_); }

 private:
  quillo::testing::TemporaryFolder folder_;
  int port_;
  pid_t pid_ = 0;
};

TEST(RedisNonceStore, TwoStoresOnOneServerShareTheirNonces) {
  const RedisServer redis;
  RedisNonceStore first("127.0.0.1", redis.port());
  RedisNonceStore second("127.0.0.1", redis.port());
  EXPECT_TRUE(first.remember("A", kRedisNow, kRedisNow + kRedisTenMinutes));
  EXPECT_FALSE(second.remember("A", kRedisNow, kRedisNow + kRedisTenMinutes));
  EXPECT_TRUE(second.remember("B", kRedisNow, kRedisNow + kRedisTenMinutes));
}

TEST(RedisNonceStore, UnreachableServerFailsToOpen) {
  EXPECT_THROW(RedisNonceStore("127.0.0.1", freePort()), NonceStoreError);
}

TEST(RedisNonceStore, ReplaySentToAnotherInstanceIsRefused) {
  const RedisServer redis;
  const core::SigningKeyBytes key = testing::randomKey();
  const testing::RunningService first({}, {}, {}, redis.address(), key);
  const testing::RunningService second({}, {}, {}, redis.address(), key);
  const testing::RequestParts parts;
  EXPECT_EQ(first.send(parts).status, 200);
  EXPECT_EQ(second.send(parts).status, 409);
}

TEST(RedisNonceStore, LostServerRefusesRequestsAsUnavailable) {
  auto redis = std::make_unique<RedisServer>();
  const testing::RunningService service({}, {}, {}, redis->address());
  EXPECT_EQ(service.send({}).status, 200);
  redis.reset();
  EXPECT_EQ(service.send({}).status, 503);
}

}  // namespace
}  // namespace quillo::service
