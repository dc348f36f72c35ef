// Settling the language of the run at start-up.
#pragma once

// The "/L=" switch when it names a language, else the dialog when the script
// has two or more languages (also in silent mode). False when the dialog was
// cancelled: the caller ends the setup.
bool SelectLanguage();
