// What the program does to a registry, end to end: one table, run against the in-memory
// registry on the host and against Wine's registry by the Windows builds, so that the
// stand-in is held to a real implementation.
#ifndef TESTS_SCENARIOS_H
#define TESTS_SCENARIOS_H

#include <string>
#include <vector>

// Paths are relative to HKEY_LOCAL_MACHINE, as a 64-bit program sees them.
struct Step {
    enum Kind {
        Key,   // creates path and any key above it
        Value, // sets the string value name to data on path
        Deny,  // lets everyone open path for reading only
        Link,  // makes path a registry link to the key named by data
    } kind;
    std::string path;
    std::string name;
    std::string data;
};

// Each names a registry and the build of the program run on it.
enum Where : unsigned {
    InMemory = 1,       // the in-memory registry and the host build
    Wine32 = 2,         // a 32-bit Wine prefix and the 32-bit build
    Wine64Native = 4,   // a 64-bit Wine prefix and the 64-bit build
    Wine64Wow = 8,      // a 64-bit Wine prefix and the 32-bit build, whose Software is Wow6432Node
    EveryView = InMemory | Wine32 | Wine64Native,
};

struct Scenario {
    const char *what;
    unsigned where;
    std::vector<Step> setup;
    std::vector<std::string> arguments;
    std::vector<std::string> left; // the watched trees afterwards, one line each, as memreg::Tree gives them
};

const std::vector<Scenario> &Scenarios();
// The trees that every scenario checks afterwards, in this order.
const std::vector<std::string> &WatchedKeys();
// A name for a test: the words with everything but letters and digits made '_'.
std::string TestName(const std::string &words);

#endif
