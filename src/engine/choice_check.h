// The person's choices checked against what the setup script puts in them,
// before anything on the machine changes.
#pragma once
#include <string>

#include "engine/install_choices.h"

// "" when the installation folder can take every path the script puts under
// {install} (or the script puts nothing there); otherwise the reason (see
// FolderProblem).
std::string FolderChoiceProblem(const std::string& folder);

// "" when the program group can take every shortcut the script puts in it
// (or no shortcut goes there); otherwise the reason (see GroupProblem).
std::string GroupChoiceProblem(const std::string& group);

// The first of the two problems of a run's choices; the group counts only
// when shortcuts go into it.
std::string ChoicesProblem(const TInstallChoices& choices);

// Makes the installation folder (and its missing parents, recorded in the
// journal) when the script puts anything in it: the first change of a run.
// "" when it is there, else the reason it cannot be used.
std::string MakeInstallationFolder(const std::string& folder);
