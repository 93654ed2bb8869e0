#pragma once
// A built program run as a child process, its standard output and error captured, for the
// tests that run the programs end to end.
//
// Every wait has a limit that only guards against a hanging child (a failure, never a timing
// under test); a child still running when the object goes is killed and reaped.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace talvix::test {

class ChildProcess {
public:
    using Millis = std::chrono::milliseconds;

    // environment: "NAME=value" entries that replace or add to this process's environment.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
        const std::vector<std::string>& environment = {})
    {
        int outPipe[2];
        int errPipe[2];
        if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);

        std::vector<std::string> args { program };
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<std::string> env = mergedEnvironment(environment);
        std::vector<char*> argv = pointers(args);
        std::vector<char*> envp = pointers(env);
        const int failed = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        out_.fd = outPipe[0];
        err_.fd = errPipe[0];
        if (failed != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
        }
    }
    ~ChildProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closeStream(out_);
        closeStream(err_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads until standard output holds the complete line; false at its end or after limit.
    bool waitForLine(const std::string& line, Millis limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!hasLine(line)) {
            if (out_.fd < 0 || !readSome(deadline))
                return hasLine(line);
        }
        return true;
    }

    // Reads until standard output holds a complete line that begins at offset from or later and
    // contains text: that line (without its end), or nothing at the output's end or after limit.
    // out().size() taken before an action marks where the lines it causes begin.
    std::optional<std::string> waitForLineContaining(const std::string& text, Millis limit, std::size_t from = 0)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::optional<std::string> line;
        while (!(line = lineContaining(text, from)))
            if (out_.fd < 0 || !readSome(deadline))
                return lineContaining(text, from);
        return line;
    }

    // Only while the child is ours: after wait() its number may belong to another process.
    void signal(int signalNumber)
    {
        if (pid_ > 0)
            ::kill(pid_, signalNumber);
    }
    // Stops reading standard output: the child's next write to it finds no reader.
    void closeOut() { closeStream(out_); }

    // Reads both streams to their end and reaps the child: its exit status, 128 + the signal
    // when a signal ended it, -1 (after killing it) when limit passed first.
    int wait(Millis limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (out_.fd >= 0 || err_.fd >= 0)
            if (!readSome(deadline))
                return -1;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    const std::string& out() const { return out_.text; }
    const std::string& err() const { return err_.text; }

private:
    struct Stream {
        int fd = -1;
        std::string text;
    };

    static std::vector<std::string> mergedEnvironment(const std::vector<std::string>& changes)
    {
        std::vector<std::string> env;
        for (char** entry = environ; *entry; ++entry) {
            const std::string current = *entry;
            const std::string name = current.substr(0, current.find('=') + 1);
            bool replaced = false;
            for (const std::string& change : changes)
                replaced = replaced || change.rfind(name, 0) == 0;
            if (!replaced)
                env.push_back(current);
        }
        env.insert(env.end(), changes.begin(), changes.end());
        return env;
    }
    static std::vector<char*> pointers(std::vector<std::string>& strings)
    {
        std::vector<char*> result;
        for (std::string& s : strings)
            result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    }
    static void closeStream(Stream& stream)
    {
        if (stream.fd >= 0)
            ::close(stream.fd);
        stream.fd = -1;
    }

    bool hasLine(const std::string& line) const
    {
        const std::string& text = out_.text;
        for (std::size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1))
            if (at == 0 || text[at - 1] == '\n')
                return true;
        return false;
    }

    std::optional<std::string> lineContaining(const std::string& text, std::size_t from) const
    {
        const std::string_view all = out_.text;
        std::size_t begin = from;
        if (from > 0 && (from > all.size() || all[from - 1] != '\n')) {
            // A line that from cuts began before it.
            const std::size_t cut = all.find('\n', from);
            begin = cut == std::string_view::npos ? all.size() : cut + 1;
        }
        for (std::size_t end = 0; begin < all.size(); begin = end + 1) {
            end = all.find('\n', begin);
            if (end == std::string_view::npos)
                break;
            const std::string_view line = all.substr(begin, end - begin);
            if (line.find(text) != std::string_view::npos)
                return std::string(line);
        }
        return std::nullopt;
    }

    // Waits for either stream until the deadline and takes what arrived; false when the
    // deadline passed (the child is then killed).
    bool readSome(std::chrono::steady_clock::time_point deadline)
    {
        const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        pollfd fds[2] = { { out_.fd, POLLIN, 0 }, { err_.fd, POLLIN, 0 } };
        if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) <= 0) {
            ::kill(pid_, SIGKILL);
            return false;
        }
        Stream* streams[2] = { &out_, &err_ };
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(streams[i]->fd, buffer, sizeof buffer);
            if (n > 0)
                streams[i]->text.append(buffer, static_cast<std::size_t>(n));
            else
                closeStream(*streams[i]);
        }
        return true;
    }

    pid_t pid_ = -1;
    Stream out_;
    Stream err_;
};

} // namespace talvix::test
