#include "lang/finish_actions.h"
void RunFinishActions(const TFinishChoices&) {}
