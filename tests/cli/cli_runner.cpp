#include "cli_runner.h"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace clitest {

namespace {

std::vector<char*> Argv(const std::vector<std::string>& args, std::vector<std::string>& keep)
{
    keep.clear();
    keep.push_back(CliPath());
    keep.insert(keep.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : keep)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

int StatusOf(int raw)
{
    if (WIFEXITED(raw))
        return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw))
        return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

std::string CliPath()
{
    return std::string(STILLCUTTER_BUILD_DIR) + "/stillcutter-cli";
}

CliResult RunCli(const std::vector<std::string>& args)
{
    return RunCli(CliLaunch{args});
}

CliResult RunCli(const CliLaunch& launch)
{
    CliResult result;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        return result;
    int terminal = -1;  // the terminal's slave side, opened before the fork so no read races it
    if (launch.stderrIsTerminal) {
        // The terminal's master side takes the place of the error pipe's reading end.
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return result;
        terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (terminal < 0)
            return result;
        ::close(errPipe[0]);
        errPipe[0] = master;
    }
    std::vector<std::string> keep;
    std::vector<char*> argv = Argv(launch.args, keep);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        if (terminal >= 0)
            ::dup2(terminal, STDERR_FILENO);
        else
            ::dup2(errPipe[1], STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        if (launch.fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(launch.fileSizeLimit),
                               static_cast<rlim_t>(launch.fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (terminal >= 0)
        ::close(terminal);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);  // EIO: terminal closed
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    result.status = WaitCli(pid);
    return result;
}

pid_t StartCli(const std::vector<std::string>& args, const std::string& logDir)
{
    std::vector<std::string> keep;
    std::vector<char*> argv = Argv(args, keep);
    const std::string outPath = logDir + "/stdout.txt";
    const std::string errPath = logDir + "/stderr.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int WaitCli(pid_t pid)
{
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return StatusOf(raw);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

}  // namespace clitest
