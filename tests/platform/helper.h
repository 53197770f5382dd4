#pragma once

#include <string>
#include <vector>

// The test program doubles as a second process for the cases that need one: run with
// "--platform-helper <command> <arguments>" it does one thing and exits with 0 on success.
// This works the same on every system, unlike fork().

// Runs this test program again with the helper command; true when the command succeeded.
bool runHelper(const std::vector<std::string>& arguments);

// The helper side, called by main(). Commands:
//   registry-set <key> <name> <text>     HKEY_CURRENT_USER\<key> is created and <name> set
//   registry-expect <key> <name> <text>  succeeds when <name> holds exactly <text>
int helperMain(int argc, char** argv);
