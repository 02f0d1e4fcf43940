// Random trees with random refusals and failing enumerations, each walked by the program
// and by a model of the walk written here from its rules, over plain data of its own.
#include "remove_subkeys.h"

#include "call_checks.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct Node {
    std::string name;
    std::vector<Node> children; // in listing order
    bool refuseOpen = false;
    bool refuseDelete = false;
    std::map<int, LONG> failingRequests;
    std::string linkTarget; // a link has no subkeys, and nothing scripted of its own
};

// Keys outside the walk for links to point to, one with subkeys and one without.
const char *const LinkTargets[] = {"Software\\Victim", "Software\\Victim\\leaf"};

std::string Upper(std::string name)
{
    for (char &c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

void Generate(Node &node, int depth, std::mt19937 &random)
{
    static const char *const Names[] = {"a", "B", "c", "D", "e1", "E2"};
    static const LONG Codes[] = {ERROR_ACCESS_DENIED, ERROR_MORE_DATA, ERROR_INVALID_HANDLE, ERROR_NO_MORE_ITEMS};
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };

    node.refuseOpen = chance(8);
    node.refuseDelete = chance(8);
    if (chance(10))
        node.failingRequests[1 + static_cast<int>(random() % 3)] = Codes[random() % 4];
    if (depth == 0) {
        if (chance(15))
            node = Node{node.name, {}, false, false, {}, LinkTargets[random() % 2]};
        return;
    }
    std::vector<std::string> names(std::begin(Names), std::end(Names));
    std::shuffle(names.begin(), names.end(), random);
    names.resize(random() % 4);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) { return Upper(a) < Upper(b); });
    for (const std::string &name : names) {
        node.children.push_back(Node{name, {}, false, false, {}, ""});
        Generate(node.children.back(), depth - 1, random);
    }
}

void Plant(const Node &node, const std::string &path)
{
    if (!node.linkTarget.empty()) {
        memreg::AddLink(path, node.linkTarget);
        return;
    }
    memreg::AddKey(path);
    if (node.refuseOpen)
        memreg::RefuseFullAccess(path);
    if (node.refuseDelete)
        memreg::RefuseDelete(path);
    for (const auto &failing : node.failingRequests)
        memreg::FailEnumeration(path, failing.first, failing.second);
    for (const Node &child : node.children)
        Plant(child, path + "\\" + child.name);
}

void Flatten(const Node &node, const std::string &path, std::vector<std::string> &paths)
{
    if (!node.linkTarget.empty()) {
        paths.push_back(path + " -> " + node.linkTarget);
        return;
    }
    paths.push_back(path);
    for (const Node &child : node.children)
        Flatten(child, path + "\\" + child.name, paths);
}

// The walk's rules: a key that cannot be opened is left; every request asks for the first
// subkey; a first request that gives no name ends the walk as done; each named subkey is
// walked and, if that walk was done, deleted, which fails while the subkey is protected
// or still has subkeys; any failure ends the walk as failed, and so does a later
// request that fails for any reason but the end of the list. A link is a key without
// subkeys like any other, and is gone once walked.
int ModelWalk(Node &node)
{
    if (node.refuseOpen)
        return 0;
    int requests = 0;
    auto request = [&]() -> LONG {
        auto failing = node.failingRequests.find(++requests);
        if (failing != node.failingRequests.end())
            return failing->second;
        return node.children.empty() ? ERROR_NO_MORE_ITEMS : ERROR_SUCCESS;
    };
    if (request() != ERROR_SUCCESS)
        return 1;
    for (;;) {
        Node &first = node.children.front();
        if (!ModelWalk(first) || first.refuseDelete || !first.children.empty())
            return 0;
        node.children.erase(node.children.begin());
        LONG result = request();
        if (result != ERROR_SUCCESS)
            return result == ERROR_NO_MORE_ITEMS;
    }
}

TEST(RemoveSubKeysProperty, AgreesWithTheModelOnRandomTrees)
{
    const unsigned baseSeed = std::getenv("WALK_SEED") ? static_cast<unsigned>(std::atoi(std::getenv("WALK_SEED"))) : 20261211u;
    const std::string target = "Software\\SirCam";
    for (unsigned trial = 0; trial < 400; ++trial) {
        unsigned seed = baseSeed + trial;
        SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun with WALK_SEED=" + std::to_string(seed) + ")");
        std::mt19937 random(seed);
        Node root{"SirCam", {}, false, false, {}, ""};
        Generate(root, 1 + static_cast<int>(random() % 4), random);

        memreg::Reset();
        memreg::AddKey("Software\\Victim\\leaf");
        memreg::SetValue("Software\\Victim\\leaf", "kept", "yes");
        const std::vector<std::string> outside = memreg::Tree("Software\\Victim");
        Plant(root, target);
        int result = RemoveSubKeys(HKEY_LOCAL_MACHINE, target.c_str());

        int expected = ModelWalk(root);
        std::vector<std::string> expectedLeft;
        Flatten(root, target, expectedLeft);
        EXPECT_EQ(result, expected);
        EXPECT_EQ(memreg::Tree(target), expectedLeft);
        EXPECT_EQ(memreg::Tree("Software\\Victim"), outside);
        ExpectWellFormedCalls(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(memreg::OpenHandles(), 0u);
        if (HasFailure())
            break;
    }
}

} // namespace
