// What tests use to set up, script and inspect the in-memory registry that stands behind
// <windows.h> on native builds. Paths are relative to HKEY_LOCAL_MACHINE, components
// separated by one backslash, matched without regard to case.
#ifndef MEMREG_MEMREG_H
#define MEMREG_MEMREG_H

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// NtDeleteKey, as ntdll exports it, reached by the program through GetProcAddress.
extern "C" LONG NtDeleteKey(HANDLE key);

namespace memreg {

constexpr LONG StatusAccessDenied = static_cast<LONG>(0xC0000022);
constexpr LONG StatusInvalidHandle = static_cast<LONG>(0xC0000008);
constexpr LONG StatusKeyDeleted = static_cast<LONG>(0xC000017C);
constexpr LONG StatusCannotDelete = static_cast<LONG>(0xC0000121);

enum class Function { Open, Enumerate, Delete, Query, DeleteThroughHandle, Close };

struct Call {
    Function function;
    HKEY key;               // the handle passed in
    std::string keyPath;    // the key behind that handle ("" for the root, "?" for a bad handle)
    std::string name;       // Open, Delete: the path asked for; Enumerate: the name given back; Query: the value
    DWORD index;            // Enumerate
    DWORD capacity;         // Enumerate: the capacity passed in
    bool onlyNameAsked;     // Enumerate: reserved, class, class length and time all null
    DWORD options;          // Open
    REGSAM access;          // Open
    bool onlyPresenceAsked; // Query: type, data and size all null
    HKEY opened;            // Open: the handle given back, if any
    LONG result;            // for DeleteThroughHandle (NtDeleteKey), an NTSTATUS
};

// Empties the registry but for HKEY_LOCAL_MACHINE, forgets every handle, script and call.
void Reset();

// Creates the key and any missing key above it.
void AddKey(const std::string &path);
// Makes path a registry link to target (also relative to HKEY_LOCAL_MACHINE): opening
// it follows the link unless REG_OPTION_OPEN_LINK asks for the last component itself.
void AddLink(const std::string &path, const std::string &target);
void SetValue(const std::string &path, const std::string &name, const std::string &data);
// Whether the key, or the link itself when the last component is one, exists.
bool KeyExists(const std::string &path);
// The key and every key below it, depth first in listing order, one line each, with the
// case in which they were created: "path" for a key, followed by "path : name = data"
// for each of its values in order, and "path -> target" for a link, which is not
// followed. Empty when the key does not exist.
std::vector<std::string> Tree(const std::string &path);

// An open asking for more than KEY_READ is denied.
void RefuseFullAccess(const std::string &path);
// A delete of this key is denied, as a key whose security forbids it.
void RefuseDelete(const std::string &path);
// The request-th enumeration of this key (counted from 1 over the whole run) fails with code.
void FailEnumeration(const std::string &path, int request, LONG code);
// Runs action just before the n-th registry call from now is carried out (0: the next one).
void BeforeCall(std::size_t n, std::function<void()> action);

const std::vector<Call> &Calls();
// One line per call, such as "Delete(Software\SirCam, a) = 0".
std::string Describe(const Call &call);
std::size_t OpenHandles();

} // namespace memreg

#endif
