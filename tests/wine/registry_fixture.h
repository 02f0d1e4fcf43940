// Sets up and reads back a real registry through the platform's API, for the tests, the
// demo and the benchmark. Paths are relative to HKEY_LOCAL_MACHINE. Every function that
// changes the registry returns ERROR_SUCCESS or the first failing result code.
#ifndef TESTS_WINE_REGISTRY_FIXTURE_H
#define TESTS_WINE_REGISTRY_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

// Creates the key and any missing key above it, one component at a time, since the ANSI
// calls pass a whole path through a MAX_PATH buffer.
LONG PlantKey(const std::string &path);
LONG PlantValue(const std::string &path, const std::string &name, const std::string &data);
// Makes path a registry link to target.
LONG PlantLink(const std::string &path, const std::string &target);
// Lets everyone open the key for reading only.
LONG DenyFullAccess(const std::string &path);
// width subkeys below path at every level, depth levels deep: width + width^2 + ... keys.
LONG PlantTree(const std::string &path, int width, int depth);
// Removes the key and everything below it, links as themselves and never their targets,
// lifting any DACL that stands in the way. An absent key is no failure.
LONG RemoveTree(const std::string &path);
// The key and everything below it in the in-memory registry's canonical form: "path",
// then "path : name = data" for each value, subkeys after, all sorted without regard to
// case; "path -> target" for a link, which is not followed. Empty when the key is absent.
std::vector<std::string> DumpTree(const std::string &path);
bool KeyExists(const std::string &path);

#endif
