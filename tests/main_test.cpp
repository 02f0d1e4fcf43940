#include "call_checks.h"
#include "call_main.h"
#include "scenarios.h"
#include "stdout_capture.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string Target = "Software\\SirCam";
const std::string DescriptionLine = "Removes Software\\Sircam registry keys.\n";

struct RegistryState {
    const char *what;
    std::function<void()> plant;
    bool finalDelete; // the target was emptied, so main deletes it
    std::vector<std::string> left;
};

void PrintTo(const RegistryState &state, std::ostream *out) { *out << state.what; }

const RegistryState States[] = {
    {"absent", [] { memreg::AddKey("Software\\Other"); }, false, {}},
    {"without subkeys", [] { memreg::AddKey(Target); }, true, {}},
    {"with a tree", [] {
         memreg::AddKey(Target + "\\a\\b\\c");
         memreg::AddKey(Target + "\\d");
     }, true, {}},
    {"with a subkey that refuses deletion", [] {
         memreg::AddKey(Target + "\\a\\b");
         memreg::AddKey(Target + "\\z");
         memreg::RefuseDelete(Target + "\\a");
     }, false, {Target, Target + "\\a", Target + "\\z"}},
    {"not openable with full access", [] {
         memreg::AddKey(Target + "\\a");
         memreg::RefuseFullAccess(Target);
     }, false, {Target, Target + "\\a"}},
};

const std::vector<std::vector<std::string>> CommandLines = {
    {},
    {"/?"},
    {"%s%n%d", "second", "third"},
    {""},
};

class MainTest : public ::testing::TestWithParam<std::tuple<RegistryState, std::vector<std::string>>> {};

TEST_P(MainTest, WritesTheLineOnlyForArgumentsRemovesTheKeyWhenEmptiedAndReturnsZero)
{
    const RegistryState &state = std::get<0>(GetParam());
    const std::vector<std::string> &arguments = std::get<1>(GetParam());
    memreg::Reset();
    state.plant();

    char environment[] = "PATH=C:\\Windows";
    char *envp[] = {environment, nullptr};

    std::string expectedOutput = arguments.empty() ? "" : DescriptionLine;
    std::string writtenBeforeRegistry = "(no registry call)";
    int status;
    {
        StdoutCapture capture;
        memreg::BeforeCall(0, [&] { writtenBeforeRegistry = capture.Text(); });
        status = CallMain(arguments, envp);
        EXPECT_EQ(capture.Text(), expectedOutput);
    }

    EXPECT_EQ(status, 0);
    EXPECT_EQ(writtenBeforeRegistry, expectedOutput);
    std::vector<std::string> finalDeletes;
    for (const memreg::Call &call : memreg::Calls())
        if (call.function == memreg::Function::Delete && call.key == HKEY_LOCAL_MACHINE)
            finalDeletes.push_back(call.name);
    EXPECT_EQ(finalDeletes, state.finalDelete ? std::vector<std::string>{Target} : std::vector<std::string>{});
    EXPECT_EQ(memreg::Tree(Target), state.left);
    EXPECT_TRUE(memreg::KeyExists("Software"));
    ExpectWellFormedCalls(HKEY_LOCAL_MACHINE);
}

INSTANTIATE_TEST_SUITE_P(Table, MainTest, ::testing::Combine(::testing::ValuesIn(States), ::testing::ValuesIn(CommandLines)),
                         [](const auto &info) {
                             return TestName(std::string(std::get<0>(info.param).what) + " " +
                                             std::to_string(std::get<1>(info.param).size()) + " arguments " +
                                             std::to_string(info.index));
                         });

} // namespace
