// Test helper: runs a program as a separate process with given arguments and
// standard input, and collects its exit code, standard output and standard
// error. POSIX only; the end-to-end tests run natively.
#ifndef TESTS_TOOL_RUN_PROGRAM_H
#define TESTS_TOOL_RUN_PROGRAM_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace testing_support {

// What a finished run left behind.
struct ProgramRun {
    int exitCode;  // the exit status, or -signal for a program killed by a signal
    std::string out;
    std::string err;
};

// Longest a single run may take before it counts as hung and is killed; far
// above what any run needs, even under the sanitizers.
constexpr std::chrono::seconds RunTimeLimit{60};
// How often a running program is looked at.
constexpr std::chrono::milliseconds PollInterval{5};

// A temporary file that holds `content` and is removed with this object.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& content = std::string()) {
        std::string pattern = testing::TempDir() + "tarvik-run-XXXXXX";
        const int fd = mkstemp(&pattern[0]);
        if (fd < 0)
            throw std::runtime_error("cannot create a temporary file");
        close(fd);
        path_ = pattern;
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TemporaryFile() { unlink(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    std::string content() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};

// Waits for `child` up to RunTimeLimit; kills it past that. Returns its status.
inline int waitOrKill(pid_t child) {
    const auto deadline = std::chrono::steady_clock::now() + RunTimeLimit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the program did not finish in time and was killed";
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    return status;
}

// Runs `program` with `arguments` (after its name) and `input` as standard
// input. Standard output and error go to files, so neither can block the other.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& input) {
    TemporaryFile in(input), out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, in.path().c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.path().c_str(), O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.path().c_str(), O_WRONLY, 0);

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);

    pid_t child = 0;
    const int failure =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        return {-1, "", "cannot start " + program};
    const int status = waitOrKill(child);
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return {exitCode, out.content(), err.content()};
}

}  // namespace testing_support

#endif  // TESTS_TOOL_RUN_PROGRAM_H
