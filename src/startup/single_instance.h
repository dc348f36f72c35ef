// One setup of a product at a time: each run holds a named mutex for its
// product until the process ends, and a run that finds it held ends at once.
#pragma once
#include <string>

// The product's identity: the key name under
// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" of the first record
// of the registry section, then of the uninstall registry section, whose key
// lies there (the product's entry in the list of installed programs); else
// the setup title (header field 65). Path constants expanded.
std::string ProductIdentity();

// The session-local mutex name for an identity: "Local\VelmoraSetup." and the
// identity with a to z upper-cased and each backslash (which a kernel object
// name cannot hold) made "_". An identity too long for a name is cut, with
// the CRC-32 of its whole upper-cased text in place of the rest.
std::string InstanceMutexName(const std::string& identity);

// Takes the product's mutex for the rest of the process. When another run
// holds it, says so in a box captioned with the setup title (none with "/Q")
// and ends the run with kExitAlreadyRunning, having changed nothing. A setup
// with no identity (no uninstall key, an empty title) is not checked.
void ClaimProductInstance();
