// preferences_posix.h: vapryx --register, the file side: finds ~/.xscreensaver, keeps a
// backup, and replaces the file in one rename so the daemon never reads half of it.
#pragma once
#include <string>

// Adds Vapryx to the user's programs list. Returns the exit status (0, or 1 when the file
// could not be read, made sense of or written, which leaves it as it was) and a message.
int RegisterWithXScreenSaver(std::string* message);

// Takes out the line RegisterWithXScreenSaver added, and nothing else. Returns as above.
int UnregisterFromXScreenSaver(std::string* message);
