// The orvane-simdevice program: its first line, its commands on standard input, its messages and
// exit codes.
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(SimulatedDeviceProgramTest, AnnouncesItselfTakesCommandsAndEndsAtEndOfInput) {
    const ProgramRun run = runProgram(
        "/bin/sh",
        {"-c", "printf 'held 192.0.2.7\\nstatus\\n' | \"$0\" --address 127.0.0.43 --name Relay",
         SIMDEVICE_PROGRAM});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.standardOutput,
              "orvane-simdevice: listening on 127.0.0.43:9758\n"
              "ok: answering \"Relay#192.0.2.7\" (15 bytes)\n"
              "ok: answering \"Relay#192.0.2.7\" (15 bytes), 0 requests seen\n");
}

TEST(SimulatedDeviceProgramTest, BadArgumentsAreNamedAndEndWithExitCode2) {
    const std::pair<std::vector<std::string>, std::string> mistakes[] = {
        {{"--port", "x"}, "--port needs a number from 1 to 65535, not 'x'"},
        {{"--port", "0"}, "--port needs a number from 1 to 65535, not '0'"},
        {{"--port=65536"}, "--port needs a number from 1 to 65535, not '65536'"},
        {{"--port", "12a"}, "--port needs a number from 1 to 65535, not '12a'"},
        {{"--address"}, "--address needs a value"},
        {{"--address", "localhost"}, "--address needs a dotted-quad IPv4 address, not 'localhost'"},
        {{"--address", "192.0.2.1"}, "refusing non-loopback address 192.0.2.1"},
        {{"--address", "127.0.0.44", "--bogus"}, "unknown argument '--bogus'"},
        {{"--verbose"}, "unknown argument '--verbose'"},
        {{"extra"}, "unknown argument 'extra'"},
        {{"--help=1"}, "unknown argument '--help=1'"},
    };
    for (const auto &[arguments, message] : mistakes) {
        const ProgramRun run = runProgram(SIMDEVICE_PROGRAM, arguments);
        EXPECT_EQ(run.exitCode, 2) << message;
        EXPECT_EQ(run.standardError.substr(0, run.standardError.find('\n')),
                  "orvane-simdevice: " + message);
        EXPECT_EQ(run.standardOutput, "");
    }
    const ProgramRun help = runProgram(SIMDEVICE_PROGRAM, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.standardOutput.rfind("Usage: orvane-simdevice", 0), 0u) << help.standardOutput;
}

TEST(SimulatedDeviceProgramTest, EndsCleanlyOnSigterm) {
    int input[2];
    int output[2];
    ASSERT_TRUE(pipe(input) == 0 && pipe(output) == 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        execl(SIMDEVICE_PROGRAM, SIMDEVICE_PROGRAM, "--address", "127.0.0.45", nullptr);
        _exit(127);
    }
    close(output[1]);
    // The first line shows that the stop requests are taken and the device listens.
    char line[128] = {};
    EXPECT_GT(read(output[0], line, sizeof line - 1), 0);
    EXPECT_STREQ(line, "orvane-simdevice: listening on 127.0.0.45:9758\n");
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    for (const int fd : {input[0], input[1], output[0]}) {
        close(fd);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

} // namespace
