#include "outside_tool.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "test_files.h"

extern char **environ;

namespace zyra_umockdev {
namespace {

class CaptureFile
{
public:
    CaptureFile()
    {
        char name[] = "/tmp/zyra-tool-XXXXXX";
        descriptor_ = mkstemp(name);
        if (descriptor_ < 0)
            throw std::runtime_error("no temporary file for a child's output");
        path_ = name;
    }
    ~CaptureFile()
    {
        close(descriptor_);
        std::remove(path_.c_str());
    }
    CaptureFile(const CaptureFile &) = delete;
    CaptureFile &operator=(const CaptureFile &) = delete;

    int descriptor() const { return descriptor_; }
    std::string content() const { return zyra_test::readFile(path_); }

private:
    int descriptor_ = -1;
    std::string path_;
};

}  // namespace

ToolRun runTool(const std::string &program, const std::vector<std::string> &arguments)
{
    CaptureFile out;
    CaptureFile err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.descriptor(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.descriptor(), STDERR_FILENO);
    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ToolRun run;
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child)
        return run;
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.standardOutput = out.content();
    run.standardError = err.content();
    return run;
}

std::string toolIdentity(const std::string &program)
{
    const ToolRun version = runTool(program, {"--version"});
    // 0.6.1 prints its version to standard error.
    std::string text = version.standardOutput + version.standardError;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return program + ": " + text;
}

}  // namespace zyra_umockdev
