#pragma once

#include "platform/singleinstance.h"

// Names the application and sets what every run of it shares: only a user's
// close of a working window ends it, and the windows' fonts and icon.
void setUpApplication();

// Runs the start-up sequence. False when the program is to end at once.
bool startProgram(SingleInstance &instance);
