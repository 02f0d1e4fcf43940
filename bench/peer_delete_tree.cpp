// The peer: what one would write without the cleanup program, the platform's own tree delete.
#include <windows.h>

int main()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\SirCam");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\SirCam");
    return 0;
}
