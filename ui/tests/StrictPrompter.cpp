// Linked into every widget test: a prompt that a test did not script fails
// it at once instead of opening a real dialog and waiting for a user.
#include "ScriptedPrompter.h"

#include <memory>

namespace {

class StrictPrompts : public ::testing::Environment
{
public:
    void SetUp() override { m_strict = std::make_unique<pos::test::ScriptedPrompter>(); }
    void TearDown() override { m_strict.reset(); }

private:
    std::unique_ptr<pos::test::ScriptedPrompter> m_strict;
};

// gtest owns the environment.
[[maybe_unused]] ::testing::Environment *const g_strict
    = ::testing::AddGlobalTestEnvironment(new StrictPrompts);

} // namespace
