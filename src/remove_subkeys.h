#ifndef REMOVE_SUBKEYS_H
#define REMOVE_SUBKEYS_H

#include <windows.h>

// Deletes every subkey below parent\subKeyPath, deepest first, and leaves that key itself
// in place for the caller to delete; a registry link, which has no subkeys, it deletes as
// itself. Returns 1 when the key was opened and emptied as far as its enumeration
// reported, 0 otherwise, and then the caller must not delete the key by name. parent is
// borrowed and never closed.
int RemoveSubKeys(HKEY parent, const char *subKeyPath);

#endif
