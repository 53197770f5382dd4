#pragma once

#include <memory>
#include <string>
#include <vector>

// This test program started again as a second process, for the cases that need one: run with
// "--platform-helper <command> <arguments>" it does one thing (see helper.h). Its standard input
// and output are pipes to this process. One file per system implements it.
class ChildProcess {
public:
    // program: a copy of this test program elsewhere, when not this one.
    explicit ChildProcess(const std::vector<std::string>& helperArguments,
                          const std::string& program = {});
    ~ChildProcess(); // kills the child when it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the child writes, without its line end; "" when its output ends first.
    std::string readLine();
    // The child reads the end of its input.
    void closeInput();
    // Waits for the child to end; its exit code.
    int wait();
    // Ends the child at once, the way a crash would, and waits for it.
    void kill();

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

// Runs the helper (of program, when given) to its end; true when it exits with 0.
bool runHelper(const std::vector<std::string>& helperArguments, const std::string& program = {});
