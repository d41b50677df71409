#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "temp_tree.h"

namespace fff::testing {

// A tree kept current after its scan, with inotify (parameter true) or with a watch limit of one
// folder (only the root), so that everything below is kept current by rescanning every 50 ms.
class WatchedTree : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<Instance> open() const {
    auto instance = GetParam() ? std::make_unique<Instance>(tree_.root(), true)
                               : std::make_unique<Instance>(tree_.root(), true, 1, 50);
    EXPECT_TRUE(instance->waitForScan());
    return instance;
  }
  TempTree tree_;
};

}  // namespace fff::testing
