#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

// The real quenla-sim binary, started on a free loopback port with a ledger file of the test's.
class SimProcess {
public:
    SimProcess(const std::string& binary, const std::string& db,
               std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {binary, "--listen", "127.0.0.1:0", "--db", db};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) throw std::runtime_error("cannot start " + binary);
        // "quenla-sim listening on http://127.0.0.1:PORT/..., ledger ..."
        FILE* stream = ::fdopen(out[0], "r");
        char line[512] = {};
        if (std::fgets(line, sizeof line, stream) == nullptr)
            throw std::runtime_error("quenla-sim said nothing");
        std::fclose(stream);
        std::string text = line;
        std::size_t colon = text.find(':', text.find("127.0.0.1"));
        port_ = std::stoi(text.substr(colon + 1));
    }
    ~SimProcess() { Kill(SIGTERM); }

    void Kill(int signal = SIGKILL) {
        if (pid_ <= 0) return;
        ::kill(pid_, signal);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    int Port() const { return port_; }
    std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/quenla-web/quenlaweb/quenlaapi";
    }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Runs a command and returns what it printed on standard output.
inline std::string Capture(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char chunk[4096];
    std::size_t n;
    while (pipe != nullptr && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, n);
    int rc = pipe != nullptr ? ::pclose(pipe) : -1;
    if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

}  // namespace testing_support
