// Runs a program with a fixed argument vector (no shell) and collects what it wrote.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int exitCode = -1; // -1 when the program did not end normally
    std::string standardOutput;
    std::string standardError;
};

// environment holds extra "NAME=value" entries on top of the test's own environment.
ProgramRun runProgram(const std::string &path, std::vector<std::string> arguments,
                      const std::vector<std::string> &environment = {});
