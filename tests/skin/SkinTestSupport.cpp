#include "tests/skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include "tests/support/WineSettings.h"

namespace skintest {

namespace {

// Runs before the first window of the test program exists.
class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override { DisableWindowManagerDecorations(); }
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

} // namespace

} // namespace skintest
