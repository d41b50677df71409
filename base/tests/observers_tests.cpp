#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "quillo/base/observers.h"

namespace quillo::base {
namespace {

TEST(Observers, EachObserverIsCalledInOrderUntilItsTokenGoes) {
  Observers observers;
  std::string heard;
  auto first = observers.observe([&] { heard += "1"; });
  std::optional<Observers::Token> second = observers.observe([&] { heard += "2"; });
  observers.notify();
  second.reset();
  observers.notify();
  EXPECT_EQ(heard, "121");
}

TEST(Observers, AnObserverMayEndItsOwnTokenWhileItIsCalled) {
  Observers observers;
  int calls = 0;
  Observers::Token token;
  token = observers.observe([&] {
    ++calls;
    token.reset();
  });
  auto other = observers.observe([&] { ++calls; });
  observers.notify();
  observers.notify();
  EXPECT_EQ(calls, 3);
}

TEST(Observers, ATokenMayOutliveItsList) {
  Observers::Token token;
  {
    Observers observers;
    token = observers.observe([] {});
  }
  token.reset();  // nothing left to remove it from
}

}  // namespace
}  // namespace quillo::base
