// Removing a registry value that the setup wrote, and the keys it leaves empty.
#pragma once
#include <string>

#include "uninstaller/removal_plan.h"

// Deletes the value below root index 0..6 (an empty name is the key's
// default value); false when it is still there afterwards. An absent key or
// value is no failure, nor is a root index outside 0..6.
bool DeleteRegistryValue(int root, const std::string& key, const std::string& name);

// Deletes the step's value. Once the value is gone, its key and then each
// parent up the path is deleted while it holds no value and no subkey; a
// root and the keys directly below it always stay. A root index outside
// 0..6 does nothing. False when the value, or an emptied key, stays.
bool RemoveRegistryValue(const TRemovalStep& step);
