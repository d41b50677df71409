#include "quillo/testing/fake_apple_events.h"

namespace quillo::testing {

std::string FakeWorkspace::resolvedPath(const std::string& path) {
  const auto link = links.find(path);
  return link == links.end() ? path : link->second;
}

platform::ProcessID FakeWorkspace::openInBackground(const std::string& path) {
  opened.push_back(path);
  if (!openedProcess) throw platform::WorkspaceError(openFailure);
  return *openedProcess;
}

void FakeWorkspace::record(const std::string& request, const std::string& target) {
  requests.push_back(request + " " + target);
  if (refusal) throw platform::WorkspaceError(*refusal);
}

platform::AppleEvent FakeAppleEvents::send(const platform::AppleEvent& event,
                                           std::chrono::duration<double> timeout) {
  sent.push_back(event);
  timeouts.push_back(timeout);
  // With no answer left the event is acknowledged with an empty reply.
  if (answers.empty()) return {};
  Answer answer = std::move(answers.front());
  answers.pop_front();
  if (auto* error = std::get_if<platform::AppleEventError>(&answer)) throw *error;
  return std::get<platform::AppleEvent>(std::move(answer));
}

}  // namespace quillo::testing
