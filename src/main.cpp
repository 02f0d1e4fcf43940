#include <stdio.h>
#include <windows.h>

#include "remove_subkeys.h"

static const char TargetKeyPath[] = "Software\\SirCam";
static const char DescriptionLine[] = "Removes Software\\Sircam registry keys.\n";

int main(int argc, char *argv[], char *envp[])
{
    (void)argv;
    (void)envp;

    if (argc != 1)
        printf(DescriptionLine);

    // Only a key that the walk emptied (or removed, being a link) is deleted by name: any
    // other delete would fail on the subkeys left, or follow a link to what it points to.
    if (RemoveSubKeys(HKEY_LOCAL_MACHINE, TargetKeyPath))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, TargetKeyPath);
    return 0;
}
