#pragma once

#include <cstddef>

// The helper side of ChildProcess, called by main() when the test program runs as a second
// process. Commands, each exiting with 0 on success:
//   registry-set <key> <name> <text>     HKEY_CURRENT_USER\<key> is created and <name> set
//   registry-expect <key> <name> <text>  succeeds when <name> holds exactly <text>
//   block-hold <name> <value>            creates the shared block <name> of HeldBlockSize
//                                        bytes, writes <value> at offset 0, prints "new" or
//                                        "existed" and holds the block until its input ends
//   write-in-program-folder              writes data/cat.tsl and data/plugins.ini in the
//                                        helper's own folder as the program does, printing
//                                        what reads of them then find
int helperMain(int argc, char** argv);

inline constexpr std::size_t HeldBlockSize = 64;
