// The in-memory registry's stand-in for the platform header: just the types, constants
// and functions that the program uses, with the platform's names and signatures,
// so that the program compiles against it unchanged on a host without Windows.
#ifndef MEMREG_WINDOWS_H
#define MEMREG_WINDOWS_H

#include <stddef.h> // NULL, which the platform header also provides
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI

typedef int32_t LONG;
typedef uint32_t DWORD;
typedef DWORD *LPDWORD;
typedef DWORD REGSAM;
typedef unsigned char BYTE;
typedef BYTE *LPBYTE;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef struct MemRegKeyHandle *HKEY;
typedef HKEY *PHKEY;
typedef void *HANDLE;
typedef struct MemRegModule *HMODULE;
typedef intptr_t (*FARPROC)(void);
typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

// Predefined roots are sign-extended 32-bit values, as on the platform.
#define HKEY_LOCAL_MACHINE ((HKEY)(intptr_t)(LONG)0x80000002)

#define KEY_ALL_ACCESS 0xF003F
#define KEY_READ 0x20019
#define KEY_QUERY_VALUE 0x0001
#define DELETE 0x10000

#define REG_OPTION_OPEN_LINK 0x8
#define REG_SZ 1
#define REG_LINK 6

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_INVALID_PARAMETER 87
#define ERROR_MORE_DATA 234
#define ERROR_NO_MORE_ITEMS 259
#define ERROR_KEY_DELETED 1018

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
LONG RegCloseKey(HKEY hKey);

// Only "ntdll.dll" is known, and of it only NtDeleteKey.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

#ifdef __cplusplus
}
#endif

#endif
