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

    // Deleting the key by name while subkeys remain would fail anyway; only an emptied key is tried.
    if (RemoveSubKeys(HKEY_LOCAL_MACHINE, TargetKeyPath))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, TargetKeyPath);
    return 0;
}
