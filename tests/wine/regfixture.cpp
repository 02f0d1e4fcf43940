// A command-line face of the registry fixture, for the demo and the benchmark:
//   regfixture key PATH | value PATH NAME DATA | link PATH TARGET | deny PATH
//            | tree PATH WIDTH DEPTH | remove PATH | dump PATH
// Several commands may follow one another in one run. Exits 1 on the first failure.
#include "registry_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc;) {
        const char *verb = argv[i];
        int left = argc - i - 1;
        auto argument = [&](int n) { return std::string(argv[i + n]); };
        LONG status = ERROR_SUCCESS;
        int used = 0;
        if (!std::strcmp(verb, "key") && left >= 1)
            status = PlantKey(argument(1)), used = 1;
        else if (!std::strcmp(verb, "value") && left >= 3)
            status = PlantValue(argument(1), argument(2), argument(3)), used = 3;
        else if (!std::strcmp(verb, "link") && left >= 2)
            status = PlantLink(argument(1), argument(2)), used = 2;
        else if (!std::strcmp(verb, "deny") && left >= 1)
            status = DenyFullAccess(argument(1)), used = 1;
        else if (!std::strcmp(verb, "tree") && left >= 3)
            status = PlantTree(argument(1), std::atoi(argv[i + 2]), std::atoi(argv[i + 3])), used = 3;
        else if (!std::strcmp(verb, "remove") && left >= 1)
            status = RemoveTree(argument(1)), used = 1;
        else if (!std::strcmp(verb, "dump") && left >= 1) {
            std::vector<std::string> lines = DumpTree(argument(1));
            if (lines.empty())
                std::printf("(no key %s)\n", argv[i + 1]);
            for (const std::string &line : lines)
                std::printf("%s\n", line.c_str());
            used = 1;
        } else {
            std::fprintf(stderr, "regfixture: cannot read the command at '%s'\n", verb);
            return 1;
        }
        if (status != ERROR_SUCCESS) {
            std::fprintf(stderr, "regfixture: %s %s failed with %ld\n", verb, argv[i + 1], static_cast<long>(status));
            return 1;
        }
        i += 1 + used;
    }
    return 0;
}
