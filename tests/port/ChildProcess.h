#pragma once
// A peer program for interoperability tests, started with one descriptor as its stdin and
// stdout (its stderr goes to /dev/null) and reaped without blocking.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace talvix::test {

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, int stdio, const std::string& workingDir)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdio >= 0) {
            posix_spawn_file_actions_adddup2(&actions, stdio, 0);
            posix_spawn_file_actions_adddup2(&actions, stdio, 1);
        }
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const int error = ::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0)
            throw std::runtime_error("cannot start " + argv[0]);
    }
    ~ChildProcess()
    {
        if (!exited()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool exited()
    {
        if (status_ < 0) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_)
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        return status_ >= 0;
    }
    // The exit code once exited, else -1.
    int exitCode() { return exited() ? status_ : -1; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

} // namespace talvix::test
