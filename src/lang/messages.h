// The message table: 87 texts per language, addressed by number 1 to 87.
// Entries 1..87 of the held list are the current language's messages.
#pragma once
#include <string>

// Message m (1..87) of the current language; "" outside the table.
const std::string& MessageText(int m);
// Makes language l (zero-based, record order) current: copies its block over
// entries 1..87 once; nothing to copy for language 0.
void SelectMessageLanguage(int l);
// Doubles the first "&" so that it shows as itself on a check box.
std::string EscapeAmpersand(std::string text);
