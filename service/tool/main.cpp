// quillo-ravo: the ranking service, local and offline.
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>

#include "quillo/base/log.h"
#include "quillo/service/file_nonce_store.h"
#include "quillo/service/local_provisioning.h"
#include "quillo/service/local_service.h"
#include "quillo/service/nonce_store_address.h"
#include "quillo/service/operations.h"
#include "quillo/service/ravo_arguments.h"
#include "quillo/service/request_check.h"
#include "quillo/service/server.h"

namespace {

using namespace quillo::service;

constexpr quillo::base::log::Logger kLog("ravo");

std::vector<std::string> credentialsIn(const std::filesystem::path& file) {
  std::ifstream stream(file);
  if (!stream) throw UsageError("--credential-file: cannot read '" + file.string() + "'");
  std::vector<std::string> credentials;
  for (std::string line; std::getline(stream, line);) {
    if (line.ends_with('\r')) line.pop_back();
    if (!line.empty()) credentials.push_back(line);
  }
  if (credentials.empty()) throw UsageError("--credential-file: '" + file.string() + "' holds no credential");
  return credentials;
}

std::unique_ptr<WordNet> openWordNet(const std::filesystem::path& folder) {
  try {
    return std::make_unique<WordNet>(folder);
  } catch (const std::exception& error) {
    kLog.warning("ranking without WordNet ({}); install the wordnet-base package", error.what());
    return nullptr;
  }
}

int run(const RavoArguments& arguments) {
  const LocalServicePaths paths = LocalServicePaths::ofThisUser();
  const std::filesystem::path data = arguments.dataFolder.value_or(paths.dataFolder);
  const std::filesystem::path certificate = arguments.certificate.value_or(data / "certificate.pem");
  const std::filesystem::path privateKey = arguments.privateKey.value_or(data / "certificate-key.pem");
  ClientKeys keys = ClientKeys::read(arguments.keyList.value_or(data / "clients.keys"));
  const std::vector<std::string> credentials =
      arguments.credentialFile ? credentialsIn(*arguments.credentialFile) : std::vector<std::string>{};
  const std::unique_ptr<NonceStore> nonces =
      openNonceStore(arguments.nonceStore.value_or((data / "nonces").string()));
  const std::unique_ptr<WordNet> wordNet = openWordNet(arguments.wordNetFolder);
  const RavoOperations operations(Vocabulary::builtIn(), wordNet.get());
  const RequestChecker checker(std::move(keys), credentials, *nonces);
  Server server({.host = arguments.host,
                 .port = arguments.port,
                 .certificateFile = certificate,
                 .privateKeyFile = privateKey,
                 .workers = arguments.workers,
                 .maxQueued = arguments.maxQueued,
                 .retryAfter = std::chrono::seconds(1),
                 .maxBodyBytes = arguments.maxBodyBytes,
                 .readTimeout = std::chrono::seconds(5)},
                checker, [&operations](const std::string& path, const CheckedRequest& request) {
                  return operations.answer(path, request);
                });
  const int port = server.start();
  const std::string host =
      arguments.host.find(':') != std::string::npos ? "[" + arguments.host + "]" : arguments.host;
  const std::string baseUrl = "https://" + host + ":" + std::to_string(port) + "/";
  if (arguments.announcement)
    writeAnnouncement(*arguments.announcement,
                      {.baseUrl = baseUrl, .pid = ::getpid(), .certificate = certificate});
  std::cout << baseUrl << std::endl;
  // A child that announces itself stays quiet: its parent's standard error is the user's.
  if (!arguments.announcement)
    kLog.info("listening on {} with {} client key(s)", baseUrl, checker.keyCount());

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  int received = 0;
  sigwait(&stopSignals, &received);
  if (arguments.announcement) withdrawAnnouncement(*arguments.announcement, ::getpid());
  server.stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Every thread the service starts inherits the blocked stop signals, so that only sigwait in
  // the main thread receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A client that goes away mid-answer must not end the service.
  signal(SIGPIPE, SIG_IGN);
  try {
    const RavoArguments arguments = parseRavoArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.help) {
      std::cout << ravoHelp();
      return 0;
    }
    if (arguments.provisionClient) {
      const LocalServicePaths own = LocalServicePaths::ofThisUser();
      provisionLocalService({.configFolder = *arguments.provisionClient,
                             .dataFolder = arguments.dataFolder.value_or(own.dataFolder),
                             .runtimeFolder = own.runtimeFolder});
      return 0;
    }
    if (arguments.withParent) {
      const pid_t parent = ::getppid();
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      // The parent may have ended before the request above took hold.
      if (::getppid() != parent) return 0;
    }
    return run(arguments);
  } catch (const UsageError& error) {
    std::cerr << "quillo-ravo: " << error.what() << "\n";
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "quillo-ravo: " << error.what() << "\n";
    return 1;
  }
}
