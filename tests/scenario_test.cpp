// The end-to-end table against the in-memory registry: the program's own main, run on a
// registry planted by each scenario, judged by its output, status and what is left.
#include "call_main.h"
#include "scenarios.h"
#include "stdout_capture.h"

#include <gtest/gtest.h>
#include <memreg.h>

namespace {

void Apply(const Step &step)
{
    switch (step.kind) {
    case Step::Key:
        memreg::AddKey(step.path);
        break;
    case Step::Value:
        memreg::SetValue(step.path, step.name, step.data);
        break;
    case Step::Deny:
        memreg::RefuseFullAccess(step.path);
        break;
    case Step::Link:
        memreg::AddLink(step.path, step.data);
        break;
    }
}

class InMemoryScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(InMemoryScenario, LeavesWhatItShould)
{
    const Scenario &scenario = GetParam();
    memreg::Reset();
    memreg::AddKey("Software");
    for (const Step &step : scenario.setup)
        Apply(step);

    char *envp[] = {nullptr};
    std::string output;
    int status;
    {
        StdoutCapture capture;
        status = CallMain(scenario.arguments, envp);
        output = capture.Text();
    }

    EXPECT_EQ(output, scenario.arguments.empty() ? "" : "Removes Software\\Sircam registry keys.\n");
    EXPECT_EQ(status, 0);
    std::vector<std::string> left;
    for (const std::string &watched : WatchedKeys())
        for (const std::string &line : memreg::Tree(watched))
            left.push_back(line);
    EXPECT_EQ(left, scenario.left);
    EXPECT_TRUE(memreg::KeyExists("Software"));
    EXPECT_EQ(memreg::OpenHandles(), 0u);
}

std::vector<Scenario> InMemoryScenarios()
{
    std::vector<Scenario> selected;
    for (const Scenario &scenario : Scenarios())
        if (scenario.where & InMemory)
            selected.push_back(scenario);
    return selected;
}

INSTANTIATE_TEST_SUITE_P(Table, InMemoryScenario, ::testing::ValuesIn(InMemoryScenarios()),
                         [](const auto &info) { return TestName(info.param.what); });

} // namespace

void PrintTo(const Scenario &scenario, std::ostream *out) { *out << scenario.what; }
