#pragma once

#include <csignal>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ; // NOLINT: POSIX

namespace nimbrel::testing {

/// A helper program run with pipes to its standard input and output, killed if still running at the end.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments) {
        int input[2];
        int output[2];
        if (::pipe(input) != 0 || ::pipe(output) != 0) {
            return;
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        ::posix_spawn_file_actions_addclose(&actions, input[1]);
        ::posix_spawn_file_actions_addclose(&actions, output[0]);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        m_input = input[1];
        m_output = output[0];
    }
    ~ChildProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_input);
        ::close(m_output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }

    /// Reads `count` bytes of its output, waiting at most `timeoutMilliseconds` for each; false on a
    /// timeout or the end of the output.
    bool readOutput(std::size_t count, int timeoutMilliseconds = 60'000) {
        for (std::size_t index = 0; index < count; ++index) {
            pollfd waiting{m_output, POLLIN, 0};
            char byte = 0;
            if (::poll(&waiting, 1, timeoutMilliseconds) != 1 || ::read(m_output, &byte, 1) != 1) {
                return false;
            }
        }
        return true;
    }

    bool writeInput(char byte) { return ::write(m_input, &byte, 1) == 1; }

    /// Sends `signal` (or waits, without one) and returns the raw wait status.
    int stop(int signal = 0) {
        if (signal != 0) {
            ::kill(m_pid, signal);
        }
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
};

} // namespace nimbrel::testing
