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

namespace memreg {

enum class Function { Open, Enumerate, Delete, Close };

struct Call {
    Function function;
    HKEY key;            // the handle passed in
    std::string keyPath; // the key behind that handle ("" for the root, "?" for a bad handle)
    std::string name;    // Open and Delete: the path asked for; Enumerate: the name given back
    DWORD index;         // Enumerate
    DWORD capacity;      // Enumerate: the capacity passed in
    bool onlyNameAsked;  // Enumerate: reserved, class, class length and time all null
    DWORD options;       // Open
    REGSAM access;       // Open
    HKEY opened;         // Open: the handle given back, if any
    LONG result;
};

// Empties the registry but for HKEY_LOCAL_MACHINE, forgets every handle, script and call.
void Reset();

// Creates the key and any missing key above it.
void AddKey(const std::string &path);
bool KeyExists(const std::string &path);
// The key and every key below it, depth first in listing order, as paths with the case
// in which they were created; empty when the key does not exist.
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
