#pragma once

#include <chrono>
#include <csignal>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ; // NOLINT: POSIX

namespace nimbrel::testing {

/// A helper program run with pipes to its standard input and output, killed if still running at the end. It
/// gets this process's environment, with `environment` set over it. Its errors go where ours go, or with
/// `errorsToOutput` into the output pipe too.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments,
                          const std::map<std::string, std::string>& environment = {}, bool errorsToOutput = false) {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view variable(*entry);
            if (!environment.contains(std::string(variable.substr(0, variable.find('='))))) {
                variables.emplace_back(variable);
            }
        }
        for (const auto& [name, value] : environment) {
            variables.push_back(name + "=" + value);
        }
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        if (errorsToOutput) {
            ::posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
        }
        // A bare program name is looked up on our PATH, as a shell would.
        if (::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            m_pid = -1;
            m_couldNotStart = true;
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

    /// The next line of its output, without the line break; none on a time-out or at the end.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string line;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd waiting{m_output, POLLIN, 0};
            char byte = 0;
            if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) != 1 ||
                ::read(m_output, &byte, 1) != 1) {
                return std::nullopt;
            }
            if (byte == '\n') {
                return line;
            }
            line += byte;
        }
    }

    void signal(int number) const {
        if (m_pid > 0) {
            ::kill(m_pid, number);
        }
    }

    /// The raw wait status once it has ended, or none if it is still running after `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        // A program that could not be started ends as a shell reports it: exit status 127.
        int status = m_couldNotStart ? W_EXITCODE(127, 0) : 0;
        while (m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) != m_pid) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds{20});
        }
        m_pid = -1;
        return status;
    }

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
    bool m_couldNotStart = false;
    int m_input = -1;
    int m_output = -1;
};

} // namespace nimbrel::testing
