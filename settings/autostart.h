// autostart.h: vapryx --register on Wayland, as text: the XDG autostart entry that starts
// `vapryx --idle SECONDS ...` at login, the same command for a compositor's own config
// (sway and the other wlroots desktops read no autostart folder), and telling our entry
// from a file of the same name that someone else wrote.
#pragma once
#include <string>
#include <vector>

// The key that marks an entry as ours: --unregister removes no file without it.
extern const char kAutostartMark[];

// One argument as an Exec key holds it: quoted where it has a reserved character, with
// '%' doubled and the string escapes applied on top. False for a control character, a
// backslash, '$' or '`' (whose escapes systemd's reader reads its own way) and
// bytes that are not UTF-8.
bool QuoteExecArgument(const std::string& argument, std::string* quoted);

// The entry that runs `program arguments` (program: a name on PATH, or a path). False with
// a one-line reason when an argument cannot be written in it.
bool BuildAutostartEntry(const std::string& program, const std::vector<std::string>& arguments,
                         std::string* entry, std::string* why);

// The same command for a shell line (sway's `exec` runs it through sh): each argument in
// single quotes where it needs them.
std::string ShellCommand(const std::string& program, const std::vector<std::string>& arguments);

// Whether `file` is an entry --register wrote: its [Desktop Entry] group holds our mark.
bool IsOurAutostartEntry(const std::string& file);
