#include "scenarios.h"

#include <cctype>

namespace {

const std::string Target = "Software\\SirCam";

Step Key(const std::string &path) { return {Step::Key, path, "", ""}; }
Step Value(const std::string &path, const std::string &name, const std::string &data)
{
    return {Step::Value, path, name, data};
}
Step Deny(const std::string &path) { return {Step::Deny, path, "", ""}; }
Step Link(const std::string &path, const std::string &target) { return {Step::Link, path, "", target}; }

// A tree of keys that do not belong to the program, with values, for links to point into.
const std::vector<Step> Victim = {
    Key("Software\\Victim\\child\\grandchild"),
    Value("Software\\Victim", "kept", "yes"),
    Value("Software\\Victim\\child\\grandchild", "kept", "yes"),
};
const std::vector<std::string> VictimLeft = {
    "Software\\Victim",
    "Software\\Victim : kept = yes",
    "Software\\Victim\\child",
    "Software\\Victim\\child\\grandchild",
    "Software\\Victim\\child\\grandchild : kept = yes",
};

std::vector<Step> With(std::vector<Step> steps, const std::vector<Step> &more)
{
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

} // namespace

const std::vector<std::string> &WatchedKeys()
{
    static const std::vector<std::string> keys = {
        Target, "Software\\SirCamX", "Software\\Microsoft\\SirCam", "Software\\Victim", "Software\\Leaf",
        "Software\\Wow6432Node\\SirCam",
    };
    return keys;
}

const std::vector<Scenario> &Scenarios()
{
    static const std::vector<Scenario> scenarios = {
        {"key absent", EveryView, {Key("Software\\SirCamX")}, {}, {"Software\\SirCamX"}},
        {"key absent with an argument", EveryView, {}, {"/?"}, {}},
        {"key without subkeys", EveryView, {Key(Target), Value(Target, "v", "1")}, {}, {}},
        {"tree several levels deep and wide, with values",
         EveryView,
         {Key(Target + "\\a\\x\\deep\\deeper"), Key(Target + "\\a\\y"), Key(Target + "\\b\\x"), Key(Target + "\\c"),
          Key(Target + "\\d\\x\\y\\z"), Value(Target, "root", "1"), Value(Target + "\\a\\x\\deep", "v", "2"),
          Value(Target + "\\c", "v", "3")},
         {},
         {}},
        {"arguments write the line and change nothing else", EveryView,
         {Key(Target + "\\a\\b"), Value(Target + "\\a", "v", "1")}, {"%s%n", "two words", ""}, {}},
        {"delete refused at the second of three subkeys",
         EveryView,
         // Holding a subkey that may not be opened, b cannot be emptied, so its delete fails.
         {Key(Target + "\\a\\x"), Key(Target + "\\b\\locked\\inner"), Key(Target + "\\c\\x"), Deny(Target + "\\b\\locked")},
         {},
         {Target, Target + "\\b", Target + "\\b\\locked", Target + "\\b\\locked\\inner", Target + "\\c",
          Target + "\\c\\x"}},
        {"key not openable with full access",
         EveryView,
         {Key(Target + "\\a"), Value(Target, "v", "1"), Deny(Target)},
         {"x"},
         {Target, Target + " : v = 1", Target + "\\a"}},
        {"key spelt in another case", EveryView, {Key("SOFTWARE\\sircam\\Sub\\deeper")}, {}, {}},
        {"keys elsewhere that share the name or its prefix stay",
         EveryView,
         {Key(Target + "\\a"), Key("Software\\SirCamX\\child"), Key("Software\\Microsoft\\SirCam\\child")},
         {},
         {"Software\\SirCamX", "Software\\SirCamX\\child", "Software\\Microsoft\\SirCam",
          "Software\\Microsoft\\SirCam\\child"}},
        {"link to a tree is removed as itself", EveryView,
         With(Victim, {Key(Target + "\\a"), Link(Target + "\\lnk", "Software\\Victim"), Key(Target + "\\z\\x")}), {},
         VictimLeft},
        {"link to a key without subkeys but with values is removed as itself",
         EveryView,
         {Key("Software\\Leaf"), Value("Software\\Leaf", "kept", "yes"), Key(Target + "\\a"),
          Link(Target + "\\a\\lnk", "Software\\Leaf")},
         {},
         {"Software\\Leaf", "Software\\Leaf : kept = yes"}},
        {"link not openable with full access is left, and so is its target",
         EveryView,
         {Key("Software\\Leaf"), Value("Software\\Leaf", "kept", "yes"), Key(Target + "\\a"),
          Link(Target + "\\lnk", "Software\\Leaf"), Deny(Target + "\\lnk")},
         {},
         {Target, Target + "\\lnk -> Software\\Leaf", "Software\\Leaf", "Software\\Leaf : kept = yes"}},
        {"key itself a link is removed as itself", EveryView, With(Victim, {Link(Target, "Software\\Victim")}), {},
         VictimLeft},
        {"dangling link is removed", EveryView, {Link(Target + "\\gone", "Software\\Nowhere")}, {}, {}},
        {"32-bit build removes the 32-bit view's key only", Wine64Wow,
         {Key(Target + "\\a"), Key("Software\\Wow6432Node\\SirCam\\b")}, {}, {Target, Target + "\\a"}},
        {"64-bit build removes the 64-bit view's key only", Wine64Native,
         {Key(Target + "\\a"), Key("Software\\Wow6432Node\\SirCam\\b")}, {},
         {"Software\\Wow6432Node\\SirCam", "Software\\Wow6432Node\\SirCam\\b"}},
    };
    return scenarios;
}

std::string TestName(const std::string &words)
{
    std::string name = words;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}
