// Removing a registry value that the setup wrote, and the keys it leaves empty.
#pragma once

#include "uninstaller/removal_plan.h"

// Deletes the value (an empty name is the key's default value). Once the
// value is gone, its key and then each parent up the path is deleted while
// it holds no value and no subkey; a root and the keys directly below it
// always stay. A root index outside 0..6 does nothing.
void RemoveRegistryValue(const TRemovalStep& step);
