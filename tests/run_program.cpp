#include "run_program.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace tariff_test {
namespace {

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void check(int rc, const char* what) {
    if (rc != 0) throw std::runtime_error(what);
}

}  // namespace

std::string write_temp_file(const std::string& name, const std::string& data) {
    return write_temp_file(name, data, "", 0, "");
}

std::string write_temp_file(const std::string& name, const std::string& head, const std::string& chunk,
                            int repeat, const std::string& tail) {
    const std::string path = ::testing::TempDir() + "tariff_" + std::to_string(::getpid()) + "_" + name;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << head;
    for (int i = 0; i < repeat; ++i) f << chunk;
    f << tail;
    if (!f) throw std::runtime_error("cannot write " + path);
    return path;
}

run_result run_program(const std::string& exe, const std::vector<std::string>& args,
                       const std::string& input_path, output_to out) {
    const std::string out_path = write_temp_file("stdout", "");
    const std::string err_path = write_temp_file("stderr", "");

    posix_spawn_file_actions_t actions;
    check(posix_spawn_file_actions_init(&actions), "file actions");
    check(posix_spawn_file_actions_addopen(&actions, 0, input_path.c_str(), O_RDONLY, 0), "stdin");
    switch (out) {
        case output_to::file:
            check(posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_TRUNC, 0),
                  "stdout");
            break;
        case output_to::full_device:
            check(posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0), "stdout");
            break;
        case output_to::closed:
            check(posix_spawn_file_actions_addclose(&actions, 1), "stdout");
            break;
    }
    check(posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_TRUNC, 0), "stderr");

    std::vector<char*> argv;
#ifdef TARIFF_EMULATOR
    const std::string program = TARIFF_EMULATOR;
    argv.push_back(const_cast<char*>(program.c_str()));
#else
    const std::string& program = exe;
#endif
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    check(rc, "spawn");

    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) throw std::runtime_error("wait4");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_path), read_file(err_path),
            usage.ru_maxrss};
}

}  // namespace tariff_test
