#pragma once
// Starting the differences viewer, and programs in general, without waiting for them.
#include <functional>
#include "lib/Text.h"

namespace varko {

inline constexpr char16_t kBuiltInDifferencesViewer[] = u"/usr/bin/meld";

// The text trimmed, between double quotes when it holds a blank.
Text xcQuoteArg(const Text& text);

using CommandMessage = std::function<void(const Text&)>;

// Starts program with the parameters split like a command line in folder (empty: the current one), detached: it is
// never waited for and leaves no zombie. A failure to start it calls message with
// "xcCommand error:" + program + " " + parameters + " " + folder + CR LF + the system's text.
bool xcCommand(const Text& program, const Text& parameters, const Text& folder, const CommandMessage& message);

// The viewer named by DifferencesViewer in [Settings] of settingsFile (default "none"), or the
// built-in one when settingsFile does not exist; empty when that is not an existing file.
Text xcDifferencesViewer(const Text& settingsFile);

// Starts the viewer on the two files, each one whole argument; shown tells whether it started
// (a failure to start it is reported through message).
void xcShowDifferences(const Text& first, const Text& second, bool& shown, const Text& settingsFile,
                       const CommandMessage& message);

}  // namespace varko
