// The starting corpora of the text fuzzers: uninstall logs and setup
// descriptions, small but with every kind of section and block.
#pragma once
#include <filesystem>

// Writes <folder>/uninstall_log/*.ini and <folder>/description/*.setup;
// false when a file cannot be written.
bool WriteTextSeeds(const std::filesystem::path& folder);
