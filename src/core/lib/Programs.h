#pragma once
// Starting other programs: the one command-line splitter, the one PATH lookup and the one way
// of starting a program without waiting for it, for the editors, the viewers and the spreadsheet.
#include "lib/Text.h"

namespace varko {

// Splits a parameter text as a shell splits a command line: blanks separate; '...' is literal;
// "..." groups, inside it \" and \\ stand for " and \; outside quotes a backslash keeps the
// next quote, blank or backslash literally and is itself kept before anything else.
TextList splitCommandLine(TextView parameters);

// The first runnable regular file of that name on PATH (an empty entry is the current folder),
// a name with a '/' when it is runnable; empty when there is none.
Text findProgramOnPath(const Text& name);

// Starts program (a path, or a name looked up on PATH) with exactly these arguments in folder
// (empty: the current one), standard input from /dev/null, detached: it is never waited for and
// leaves no zombie. 0 once it runs, else the errno of what failed.
int startDetachedProgram(const Text& program, const TextList& arguments, const Text& folder = Text());

}  // namespace varko
