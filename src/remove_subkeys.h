#ifndef REMOVE_SUBKEYS_H
#define REMOVE_SUBKEYS_H

#include <windows.h>

// Deletes every subkey below parent\subKeyPath, deepest first, and leaves that key
// itself in place for the caller to delete. Returns 1 when the key was opened and
// emptied as far as its enumeration reported, 0 otherwise. parent is never closed.
int RemoveSubKeys(HKEY parent, const char *subKeyPath);

#endif
