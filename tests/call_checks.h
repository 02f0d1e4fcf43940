// Checks that hold for every walk, whatever the tree and whatever failed in it.
#ifndef TESTS_CALL_CHECKS_H
#define TESTS_CALL_CHECKS_H

#include <gtest/gtest.h>
#include <memreg.h>

#include <set>

// Every open asks for the link itself, never its target, and for full access but to see
// that a subkey whose delete found nothing is really gone; every enumeration
// asks for index 0 with the capacity reset to the whole buffer and nothing but the name;
// only a key whose first enumeration gave no name is asked whether it is a link, and only
// a link is deleted through its handle; every call goes to the borrowed handle or to one
// that is open; each handle opened is closed once, and the borrowed one never. Calls
// before firstCall are the test's own.
inline void ExpectWellFormedCalls(HKEY borrowed, std::size_t firstCall = 0)
{
    std::set<HKEY> open;
    const std::vector<memreg::Call> &calls = memreg::Calls();
    for (std::size_t i = firstCall; i < calls.size(); ++i) {
        const memreg::Call &call = calls[i];
        SCOPED_TRACE(memreg::Describe(call));
        bool onOwnHandle = open.count(call.key) == 1;
        const memreg::Call *previous = i > firstCall ? &calls[i - 1] : nullptr;
        const memreg::Call *beforePrevious = i > firstCall + 1 ? &calls[i - 2] : nullptr;
        switch (call.function) {
        case memreg::Function::Open:
            EXPECT_TRUE(onOwnHandle || call.key == borrowed);
            EXPECT_EQ(call.options, static_cast<DWORD>(REG_OPTION_OPEN_LINK));
            if (previous && previous->function == memreg::Function::Delete && previous->key == call.key &&
                previous->result == ERROR_FILE_NOT_FOUND && previous->name == call.name)
                EXPECT_EQ(call.access, static_cast<REGSAM>(KEY_QUERY_VALUE)) << "only to see the subkey gone";
            else
                EXPECT_EQ(call.access, static_cast<REGSAM>(KEY_ALL_ACCESS));
            if (call.result == ERROR_SUCCESS)
                open.insert(call.opened);
            break;
        case memreg::Function::Enumerate:
            EXPECT_TRUE(onOwnHandle);
            EXPECT_EQ(call.index, 0u);
            EXPECT_EQ(call.capacity, 260u);
            EXPECT_TRUE(call.onlyNameAsked);
            break;
        case memreg::Function::Delete:
            EXPECT_TRUE(onOwnHandle || call.key == borrowed);
            break;
        case memreg::Function::Query:
            EXPECT_TRUE(onOwnHandle);
            EXPECT_EQ(call.name, "SymbolicLinkValue");
            EXPECT_TRUE(call.onlyPresenceAsked);
            EXPECT_TRUE(beforePrevious && beforePrevious->function == memreg::Function::Open &&
                        beforePrevious->opened == call.key && previous->function == memreg::Function::Enumerate &&
                        previous->key == call.key && previous->result != ERROR_SUCCESS)
                << "asked other than right after a first enumeration that gave no name";
            break;
        case memreg::Function::DeleteThroughHandle:
            EXPECT_TRUE(onOwnHandle);
            EXPECT_TRUE(previous && previous->function == memreg::Function::Query && previous->key == call.key &&
                        previous->result == ERROR_SUCCESS)
                << "deleted a key through its handle without knowing it for a link";
            break;
        case memreg::Function::Close:
            EXPECT_TRUE(onOwnHandle);
            open.erase(call.key);
            break;
        }
    }
    EXPECT_TRUE(open.empty()) << open.size() << " handles left open";
}

#endif
