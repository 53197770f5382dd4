#pragma once

#include <string>

// How a test marks a file or folder hidden or system on this system; one file per system
// implements it.

// Creates a folder in parent that the system counts as hidden and returns its name: on POSIX
// "." + base, on Windows base with the hidden attribute.
std::string createHiddenFolder(const std::string& parent, const std::string& base);

// Gives an existing folder the system attribute. False where the file system has no such
// attribute (POSIX).
bool markAsSystem(const std::string& path);

// Gives an existing file the hidden attribute. False where a name, not an attribute, hides a file
// (POSIX).
bool markAsHidden(const std::string& path);
