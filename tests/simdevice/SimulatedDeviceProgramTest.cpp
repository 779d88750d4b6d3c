// The orvane-simdevice program: its first line, its commands on standard input, its exit codes.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ProgramRun {
    std::string output;
    int exitCode = -1;
};

// Runs the program through the shell with the given arguments and standard input.
ProgramRun runProgram(const std::string &arguments, const std::string &input) {
    const std::string command =
        "printf '" + input + "' | '" SIMDEVICE_PROGRAM "' " + arguments + " 2>&1";
    ProgramRun run;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char chunk[256];
    size_t length;
    while ((length = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        run.output.append(chunk, length);
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(SimulatedDeviceProgramTest, AnnouncesItselfTakesCommandsAndEndsAtEndOfInput) {
    const ProgramRun run =
        runProgram("--address 127.0.0.43 --name Relay", "held 192.0.2.7\\nstatus\\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "orvane-simdevice: listening on 127.0.0.43:9758\n"
                          "ok: answering \"Relay#192.0.2.7\" (15 bytes)\n"
                          "ok: answering \"Relay#192.0.2.7\" (15 bytes), 0 requests seen\n");
}

TEST(SimulatedDeviceProgramTest, BadArgumentsGiveAUsageErrorAndExitCode2) {
    for (const char *arguments :
         {"--port x", "--address 127.0.0.44 --bogus", "--address", "--address 192.0.2.1"}) {
        const ProgramRun run = runProgram(arguments, "");
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_EQ(run.output.rfind("orvane-simdevice: ", 0), 0u) << run.output;
        EXPECT_EQ(run.output.find("listening"), std::string::npos) << run.output;
    }
}

TEST(SimulatedDeviceProgramTest, HelpExitsWithZero) {
    const ProgramRun run = runProgram("--help", "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.rfind("Usage: orvane-simdevice", 0), 0u) << run.output;
}

TEST(SimulatedDeviceProgramTest, EndsCleanlyOnSigterm) {
    int input[2];
    int output[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        close(input[1]);
        close(output[0]);
        execl(SIMDEVICE_PROGRAM, SIMDEVICE_PROGRAM, "--address", "127.0.0.45",
              static_cast<char *>(nullptr));
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    // Waiting for the first line proves the signals are blocked and the device listens.
    char line[128] = {};
    ssize_t length = read(output[0], line, sizeof line - 1);
    EXPECT_GT(length, 0);
    EXPECT_STREQ(line, "orvane-simdevice: listening on 127.0.0.45:9758\n");
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    close(input[1]);
    close(output[0]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
