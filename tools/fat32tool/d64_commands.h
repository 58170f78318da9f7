// fat32tool's d64 commands: a D64 image in the volume, driven by the drive's own image code.
#pragma once
#include "filesystem/fat.h"

// argv holds D64NAME COMMAND [ARGS]; the result is the drive status (0 when
// fine), or usageStatus when the command is not known.
int RunD64Command(korvan::filesystem::Fat32& volume, int argc, char** argv, int usageStatus);
