#include "remove_subkeys.h"

#include "call_checks.h"
#include "scenarios.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string Target = "Software\\SirCam";
const std::string Bystander = "Software\\SirCamX\\child";

std::vector<std::string> Below(std::vector<std::string> names)
{
    std::vector<std::string> paths;
    for (const std::string &name : names)
        paths.push_back(name.empty() ? Target : Target + "\\" + name);
    return paths;
}

std::vector<std::string> Deletes()
{
    std::vector<std::string> deleted;
    for (const memreg::Call &call : memreg::Calls())
        if (call.function == memreg::Function::Delete && call.result == ERROR_SUCCESS)
            deleted.push_back(call.keyPath + "\\" + call.name);
    return deleted;
}

void Plant(const std::vector<std::string> &names)
{
    memreg::Reset();
    memreg::AddKey(Bystander);
    for (const std::string &path : Below(names))
        memreg::AddKey(path);
}

TEST(RemoveSubKeys, DeletesEachSubkeyAfterItsOwnInListingOrderAndKeepsTheKey)
{
    // Created out of order and in mixed case: the walk follows the registry's listing.
    Plant({"Gamma\\two", "Gamma\\One", "alpha\\two", "alpha\\One", "Beta\\two", "Beta\\One"});

    EXPECT_EQ(RemoveSubKeys(HKEY_LOCAL_MACHINE, Target.c_str()), 1);

    EXPECT_EQ(Deletes(), Below({"alpha\\One", "alpha\\two", "alpha", "Beta\\One", "Beta\\two", "Beta",
                                "Gamma\\One", "Gamma\\two", "Gamma"}));
    EXPECT_EQ(memreg::Tree(Target), Below({""}));
    EXPECT_TRUE(memreg::KeyExists(Bystander));
    ExpectWellFormedCalls(HKEY_LOCAL_MACHINE);
}

TEST(RemoveSubKeys, TalksToTheRegistryInThisOrder)
{
    Plant({"a"});
    memreg::AddKey("Software\\Victim");
    memreg::AddLink(Target + "\\lnk", "Software\\Victim");

    EXPECT_EQ(RemoveSubKeys(HKEY_LOCAL_MACHINE, Target.c_str()), 1);

    std::vector<std::string> calls;
    for (const memreg::Call &call : memreg::Calls())
        calls.push_back(memreg::Describe(call));
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "Open(, Software\\SirCam) = 0",
                         "Enumerate(Software\\SirCam, 0) = 0 a",
                         "Open(Software\\SirCam, a) = 0",
                         "Enumerate(Software\\SirCam\\a, 0) = 259",
                         "Query(Software\\SirCam\\a, SymbolicLinkValue) = 2",
                         "Close(Software\\SirCam\\a) = 0",
                         "Delete(Software\\SirCam, a) = 0",
                         "Enumerate(Software\\SirCam, 0) = 0 lnk",
                         "Open(Software\\SirCam, lnk) = 0",
                         "Enumerate(Software\\SirCam\\lnk, 0) = 259",
                         "Query(Software\\SirCam\\lnk, SymbolicLinkValue) = 0",
                         "NtDeleteKey(Software\\SirCam\\lnk) = 0x00000000",
                         "Close(Software\\SirCam\\lnk) = 0",
                         "Delete(Software\\SirCam, lnk) = 2",
                         "Open(Software\\SirCam, lnk) = 2",
                         "Enumerate(Software\\SirCam, 0) = 259",
                         "Close(Software\\SirCam) = 0",
                     }));
}

TEST(RemoveSubKeys, MissingKeyCostsOnlyTheOpen)
{
    Plant({});

    EXPECT_EQ(RemoveSubKeys(HKEY_LOCAL_MACHINE, Target.c_str()), 0);

    ASSERT_EQ(memreg::Calls().size(), 1u);
    EXPECT_EQ(memreg::Describe(memreg::Calls()[0]), "Open(, Software\\SirCam) = 2");
}

struct Scenario {
    const char *what;
    std::vector<std::string> keys; // below the target; "" plants the target alone
    std::function<void()> script;
    int result;
    std::vector<std::string> left; // the target's tree afterwards, below the target
};

void PrintTo(const Scenario &scenario, std::ostream *out) { *out << scenario.what; }

const std::string Name259(259, 'n');
const std::string Name260(260, 'n');

const Scenario Scenarios[] = {
    {"key absent", {}, [] {}, 0, {}},
    {"key without subkeys", {""}, [] {}, 1, {""}},
    {"key not openable with full access", {"a\\x"}, [] { memreg::RefuseFullAccess(Target); }, 0,
     {"", "a", "a\\x"}},
    {"second of three subkeys refuses deletion", {"a\\x", "b\\x", "c\\x"},
     [] { memreg::RefuseDelete(Target + "\\b"); }, 0, {"", "b", "c", "c\\x"}},
    {"subkey two levels down refuses deletion, so its parent and the rest stay", {"a\\b", "z"},
     [] { memreg::RefuseDelete(Target + "\\a\\b"); }, 0, {"", "a", "a\\b", "z"}},
    {"subkey not openable with full access is left, as its name may be a link", {"a", "b"},
     [] { memreg::RefuseFullAccess(Target + "\\a"); }, 0, {"", "a", "b"}},
    {"first enumeration fails: taken as no subkeys", {"a"},
     [] { memreg::FailEnumeration(Target, 1, ERROR_ACCESS_DENIED); }, 1, {"", "a"}},
    {"first enumeration of a subkey fails, so its delete fails", {"a\\x", "b"},
     [] { memreg::FailEnumeration(Target + "\\a", 1, ERROR_ACCESS_DENIED); }, 0, {"", "a", "a\\x", "b"}},
    {"later enumeration fails", {"a", "b", "c"},
     [] { memreg::FailEnumeration(Target, 2, ERROR_ACCESS_DENIED); }, 0, {"", "b", "c"}},
    {"later enumeration ends early", {"a", "b"},
     [] { memreg::FailEnumeration(Target, 2, ERROR_NO_MORE_ITEMS); }, 1, {"", "b"}},
    {"name of 259 characters fits", {"a", Name259 + "\\x"}, [] {}, 1, {""}},
    {"name of 260 characters at the first request", {Name260}, [] {}, 1, {"", Name260}},
    {"name of 260 characters at a later request", {"a", Name260}, [] {}, 0, {"", Name260}},
    {"link that cannot be removed as itself ends the walk, its target untouched", {"a", "lnk"},
     [] {
         memreg::AddLink(Target + "\\lnk", Bystander);
         memreg::RefuseDelete(Target + "\\lnk");
     },
     0, {"", "lnk -> " + Bystander}},
    {"dangling link that cannot be removed ends the walk rather than repeat it", {"a", "lnk"},
     [] {
         memreg::AddLink(Target + "\\lnk", "Software\\Nowhere");
         memreg::RefuseDelete(Target + "\\lnk");
     },
     0, {"", "lnk -> Software\\Nowhere"}},
    {"keys added while their parents are walked", {"a"},
     [] {
         // Call 3 is the first enumeration of a; call 11 the target's next one, once a is gone.
         memreg::BeforeCall(3, [] { memreg::AddKey(Target + "\\a\\new"); });
         memreg::BeforeCall(11, [] { memreg::AddKey(Target + "\\late\\child"); });
     },
     1, {""}},
};

// Each scenario runs from the predefined root, as the program does, and from a handle of
// the test's own, which must still work afterwards.
class RemoveSubKeysScenario : public ::testing::TestWithParam<std::tuple<Scenario, bool>> {};

TEST_P(RemoveSubKeysScenario, EndsAsExpected)
{
    const Scenario &scenario = std::get<0>(GetParam());
    bool fromRoot = std::get<1>(GetParam());
    Plant(scenario.keys);
    HKEY parent = HKEY_LOCAL_MACHINE;
    std::string path = Target;
    if (!fromRoot) {
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &parent), ERROR_SUCCESS);
        path = "SirCam";
    }
    scenario.script();
    std::size_t firstCall = memreg::Calls().size();
    EXPECT_EQ(RemoveSubKeys(parent, path.c_str()), scenario.result);

    EXPECT_EQ(memreg::Tree(Target), Below(scenario.left));
    EXPECT_TRUE(memreg::KeyExists(Bystander));
    ExpectWellFormedCalls(parent, firstCall);
    if (!fromRoot) {
        char name[260];
        DWORD capacity = sizeof name;
        EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &capacity, NULL, NULL, NULL, NULL), ERROR_SUCCESS);
        EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
    }
    EXPECT_EQ(memreg::OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveSubKeysScenario,
                         ::testing::Combine(::testing::ValuesIn(Scenarios), ::testing::Bool()),
                         [](const auto &info) {
                             return TestName(std::get<0>(info.param).what) +
                                    (std::get<1>(info.param) ? "_from_root" : "_from_handle");
                         });

} // namespace
