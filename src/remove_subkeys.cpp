#include "remove_subkeys.h"

// Looked up at run time, so that the program imports nothing from ntdll.
typedef LONG (WINAPI *NtDeleteKeyFunction)(HANDLE key);

// A registry link has no subkeys and names its target in the value SymbolicLinkValue.
// Deleting it by name would delete the target instead, so a link is deleted through its
// own handle, which REG_OPTION_OPEN_LINK made the link itself. A plain key that happens
// to hold such a value goes the same way, which its caller's delete would have done.
// Returns 0 only for a link that is still there.
static int DeleteIfLink(HKEY key)
{
    if (RegQueryValueExA(key, "SymbolicLinkValue", NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
        return 1;
    NtDeleteKeyFunction ntDeleteKey =
        (NtDeleteKeyFunction)(void (*)(void))GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    return ntDeleteKey && ntDeleteKey(key) == 0;
}

// Whether name is no longer there at all, not even as a link. Anything but a plain
// "not found" counts as still there, so that a walk never goes round the same name twice.
static int SubKeyGone(HKEY key, const char *name)
{
    HKEY subKey;
    LONG result = RegOpenKeyExA(key, name, REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &subKey);
    if (result == ERROR_SUCCESS)
        RegCloseKey(subKey);
    return result == ERROR_FILE_NOT_FOUND;
}

int RemoveSubKeys(HKEY parent, const char *subKeyPath)
{
    HKEY key;
    if (RegOpenKeyExA(parent, subKeyPath, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;

    // Each named subkey is deleted before the next request, so the next one is always
    // at index 0; the enumeration overwrites the capacity, so it is reset every time.
    char name[260];
    DWORD nameCapacity = sizeof name;
    LONG result = RegEnumKeyExA(key, 0, name, &nameCapacity, NULL, NULL, NULL, NULL);
    // A first request that names nothing, for whatever reason, leaves the key to the
    // caller's delete, which fails while subkeys remain.
    if (result != ERROR_SUCCESS) {
        int done = DeleteIfLink(key);
        RegCloseKey(key);
        return done;
    }

    do {
        // A subkey is deleted by name only once its own walk has vouched for it: a walk
        // that could not open it proves nothing, and the delete would follow a link. A
        // link that the walk removed as itself leaves nothing here to find.
        if (!RemoveSubKeys(key, name)) {
            RegCloseKey(key);
            return 0;
        }
        result = RegDeleteKeyA(key, name);
        if (result == ERROR_FILE_NOT_FOUND && SubKeyGone(key, name))
            result = ERROR_SUCCESS;
        if (result != ERROR_SUCCESS) {
            RegCloseKey(key);
            return 0;
        }
        nameCapacity = sizeof name;
        result = RegEnumKeyExA(key, 0, name, &nameCapacity, NULL, NULL, NULL, NULL);
    } while (result == ERROR_SUCCESS);

    RegCloseKey(key);
    return result == ERROR_NO_MORE_ITEMS;
}
