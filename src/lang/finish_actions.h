// The last things a setup does, after its windows are hidden: start the
// installed program, open its read-me and its web page, restart Windows.
#pragma once

// What the Finish page's controls held when the wizard left it; a control
// never shown keeps its initial state.
struct TFinishChoices {
  bool launch = false, readme = false, website = false, restartNow = false;
};

// Each action runs when its header flag is set and the user chose it, in
// this order: launch (flag 39, program 43), read-me (79, document 47), web
// page (36, address 37), restart (52). One failing never stops the next,
// and nothing started is waited for. Returns; ending the process is the
// caller's.
void RunFinishActions(const TFinishChoices& choices);
