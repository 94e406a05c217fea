// Linked into every widget test: a prompt that a test did not script fails
// it at once instead of opening a real dialog and waiting for a user.
#include "ScriptedPrompter.h"

#include <optional>

namespace {

class StrictPrompts : public ::testing::Environment
{
    void SetUp() override { m_strict.emplace(); }
    void TearDown() override { m_strict.reset(); }
    std::optional<pos::test::ScriptedPrompter> m_strict;
};

// gtest owns the environment.
[[maybe_unused]] ::testing::Environment *const g_strict
    = ::testing::AddGlobalTestEnvironment(new StrictPrompts);

} // namespace
