// Counts, exactly, the registry calls the cleanup makes per key for each benchmark shape,
// by running the program's own main against the in-memory registry and reading its log.
#include "call_main.h"

#include <memreg.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

void Plant(const std::string &path, int width, int depth)
{
    memreg::AddKey(path);
    for (int i = 0; depth > 0 && i < width; ++i)
        Plant(path + "\\k" + std::to_string(i), width, depth - 1);
}

} // namespace

int main()
{
    struct Shape {
        const char *name;
        int width, depth;
    } const shapes[] = {{"10 wide 3 deep", 10, 3}, {"10 wide 4 deep", 10, 4}, {"chain 300 deep", 1, 300}};
    const char *const functions[] = {"open", "enumerate", "delete", "query", "NtDeleteKey", "close"};

    std::printf("shape,keys,calls,calls_per_key,open,enumerate,delete,query,NtDeleteKey,close,keys_left,handles_left\n");
    for (const Shape &shape : shapes) {
        memreg::Reset();
        Plant("Software\\SirCam", shape.width, shape.depth);
        std::size_t keys = memreg::Tree("Software\\SirCam").size();
        char *envp[] = {nullptr};
        CallMain({}, envp);

        std::map<memreg::Function, std::size_t> byFunction;
        for (const memreg::Call &call : memreg::Calls())
            ++byFunction[call.function];
        std::size_t calls = memreg::Calls().size();
        std::printf("%s,%zu,%zu,%.3f", shape.name, keys, calls, static_cast<double>(calls) / keys);
        for (std::size_t i = 0; i < sizeof functions / sizeof *functions; ++i)
            std::printf(",%zu", byFunction[static_cast<memreg::Function>(i)]);
        std::printf(",%zu,%zu\n", memreg::Tree("Software\\SirCam").size(), memreg::OpenHandles());
    }
    return 0;
}
