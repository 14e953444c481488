#pragma once
// Starts what the core's opening commands describe: a program, detached, or a document with the
// desktop's default program.
#include "results/OpenCommand.h"

// False with the system's text when it could not be started.
bool LaunchOnDesktop(const varko::LaunchCommand& command, varko::Text& error);
