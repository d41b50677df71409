#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace quillo::base {

// The functions to call on a change, in the order they were added, each until the token that
// added it goes. A token may outlive the list, and an observer may end its own or another's
// token while it is called. Not thread-safe: the owner's thread only.
class Observers {
  struct State {
    std::map<std::uint64_t, std::function<void()>> observers;
    std::uint64_t next = 1;
  };

 public:
  // One observer's place in the list: it is removed when the token is destroyed or reset.
  class Token {
   public:
    Token() = default;
    Token(Token&& other) noexcept;
    Token& operator=(Token&& other) noexcept;
    Token(const Token&) = delete;
    Token& operator=(const Token&) = delete;
    ~Token() { reset(); }

    void reset();

   private:
    friend class Observers;
    Token(std::weak_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}

    std::weak_ptr<State> state_;
    std::uint64_t id_ = 0;
  };

  [[nodiscard]] Token observe(std::function<void()> observer);
  void notify() const;

 private:
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace quillo::base
