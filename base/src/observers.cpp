#include "quillo/base/observers.h"

#include <utility>
#include <vector>

namespace quillo::base {

Observers::Token::Token(Token&& other) noexcept
    : state_(std::move(other.state_)), id_(std::exchange(other.id_, 0)) {}

Observers::Token& Observers::Token::operator=(Token&& other) noexcept {
  if (this != &other) {
    reset();
    state_ = std::move(other.state_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void Observers::Token::reset() {
  if (const auto state = state_.lock()) state->observers.erase(id_);
  state_.reset();
  id_ = 0;
}

Observers::Token Observers::observe(std::function<void()> observer) {
  const std::uint64_t id = state_->next++;
  state_->observers.emplace(id, std::move(observer));
  return Token(state_, id);
}

void Observers::notify() const {
  // The list may change while its observers are called: each is looked up again before its call,
  // and called through a copy, so that removing itself does not destroy it mid-call.
  const std::shared_ptr<State> state = state_;
  std::vector<std::uint64_t> ids;
  ids.reserve(state->observers.size());
  for (const auto& [id, observer] : state->observers)
    ids.push_back(id);
  for (const std::uint64_t id : ids) {
    const auto found = state->observers.find(id);
    if (found == state->observers.end()) continue;
    const auto observer = found->second;
    if (observer) observer();
  }
}

}  // namespace quillo::base
