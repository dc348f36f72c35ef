#pragma once
struct TFinishChoices { bool launch = false, readme = false, website = false, restartNow = false; };
void RunFinishActions(const TFinishChoices& choices);
