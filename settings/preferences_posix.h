// preferences_posix.h: vapryx --register, the file side: finds ~/.xscreensaver, keeps a
// backup, and replaces the file in one rename so the daemon never reads half of it; in a
// Wayland session, the autostart entry instead.
#pragma once
#include <string>
#include <vector>

// Adds Vapryx to the user's programs list. Returns the exit status (0, or 1 when the file
// could not be read, made sense of or written, which leaves it as it was) and a message.
int RegisterWithXScreenSaver(std::string* message);

// Takes out the line RegisterWithXScreenSaver added, and nothing else. Returns as above.
int UnregisterFromXScreenSaver(std::string* message);

// Writes $XDG_CONFIG_HOME/autostart/vapryx.desktop (~/.config/autostart/ by default, made
// where missing) running `vapryx --idle idleSeconds arguments`, or replaces the one it wrote
// before; a file of that name it did not write stays as it is (status 1). Returns the exit
// status and a message; on success `command` is the same command, for the config of a
// desktop that reads no autostart folder.
int RegisterAutostart(int idleSeconds, const std::vector<std::string>& arguments,
                      std::string* message, std::string* command);

// Removes the entry RegisterAutostart wrote, and no other file. Returns as above.
int UnregisterAutostart(std::string* message);
