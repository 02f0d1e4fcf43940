#include "remove_subkeys.h"

int RemoveSubKeys(HKEY parent, const char *subKeyPath)
{
    HKEY key;
    if (RegOpenKeyExA(parent, subKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;

    // Each named subkey is deleted before the next request, so the next one is always
    // at index 0; the enumeration overwrites the capacity, so it is reset every time.
    char name[260];
    DWORD nameCapacity = sizeof name;
    LONG result = RegEnumKeyExA(key, 0, name, &nameCapacity, NULL, NULL, NULL, NULL);
    if (result != ERROR_SUCCESS) {
        RegCloseKey(key);
        return 1;
    }

    do {
        // The nested result is not needed: a subkey left non-empty makes this delete fail.
        RemoveSubKeys(key, name);
        if (RegDeleteKeyA(key, name) != ERROR_SUCCESS) {
            RegCloseKey(key);
            return 0;
        }
        nameCapacity = sizeof name;
        result = RegEnumKeyExA(key, 0, name, &nameCapacity, NULL, NULL, NULL, NULL);
    } while (result == ERROR_SUCCESS);

    RegCloseKey(key);
    return result == ERROR_NO_MORE_ITEMS;
}
