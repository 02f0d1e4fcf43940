#include "remove_subkeys.h"

// Looked up at run time, so that the program imports nothing from ntdll.
typedef LONG (WINAPI *NtDeleteKeyFunction)(HANDLE key);

// A registry link has no subkeys and names its target in the value SymbolicLinkValue.
// Deleting it by name would delete the target instead, so a link is deleted through its
// own handle, which REG_OPTION_OPEN_LINK made the link itself. A plain key that happens
// to hold such a value goes the same way, which its caller's delete would have done.
static void DeleteIfLink(HKEY key)
{
    if (RegQueryValueExA(key, "SymbolicLinkValue", NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
        return;
    NtDeleteKeyFunction ntDeleteKey =
        (NtDeleteKeyFunction)(void (*)(void))GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    if (ntDeleteKey)
        ntDeleteKey(key);
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
    if (result != ERROR_SUCCESS) {
        DeleteIfLink(key);
        RegCloseKey(key);
        return 1;
    }

    do {
        // The nested result is not needed: a subkey left non-empty makes this delete fail,
        // and a link that the nested call removed is no longer there to be found.
        RemoveSubKeys(key, name);
        result = RegDeleteKeyA(key, name);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
            RegCloseKey(key);
            return 0;
        }
        nameCapacity = sizeof name;
        result = RegEnumKeyExA(key, 0, name, &nameCapacity, NULL, NULL, NULL, NULL);
    } while (result == ERROR_SUCCESS);

    RegCloseKey(key);
    return result == ERROR_NO_MORE_ITEMS;
}
