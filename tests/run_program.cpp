#include "run_program.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <process.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tariff_test {
namespace {

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

#ifndef _WIN32
void check(int rc, const char* what) {
    if (rc != 0) throw std::runtime_error(what);
}

// The words that start exe: under the wrapper command named by
// TARIFF_TEST_WRAPPER (valgrind, say), if set, and the cross emulator, if any.
std::vector<std::string> command_words(const std::string& exe, const std::vector<std::string>& args) {
    std::vector<std::string> words;
    if (const char* wrapper = std::getenv("TARIFF_TEST_WRAPPER")) {
        std::istringstream split(wrapper);
        for (std::string word; split >> word;) words.push_back(word);
    }
#ifdef TARIFF_EMULATOR
    words.emplace_back(TARIFF_EMULATOR);
#endif
    words.push_back(exe);
    words.insert(words.end(), args.begin(), args.end());
    return words;
}

// posix_spawnp of words, which must outlive the call.
pid_t spawn(std::vector<std::string>& words, const posix_spawn_file_actions_t& actions) {
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    check(posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ), "spawn");
    return pid;
}
#endif

}  // namespace

bool peak_is_the_programs() {
    const bool wrapped = std::getenv("TARIFF_TEST_WRAPPER") != nullptr;
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const bool wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    return !wrapped && !wine;
#else
    return !wrapped;
#endif
}

std::string write_temp_file(const std::string& name, const std::string& data) {
    return write_temp_file(name, data, "", 0, "");
}

std::string write_temp_file(const std::string& name, const std::string& head, const std::string& chunk,
                            int repeat, const std::string& tail) {
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = ::getpid();
#endif
    std::string path = ::testing::TempDir() + "tariff_" + std::to_string(pid) + "_" + name;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << head;
    for (int i = 0; i < repeat; ++i) f << chunk;
    f << tail;
    if (!f) throw std::runtime_error("cannot write " + path);
    return path;
}

#ifdef _WIN32

namespace {

HANDLE open_inheritable(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE h =
        CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &sa, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    return h;
}

std::string quoted(const std::string& arg) { return '"' + arg + '"'; }

// Starts `command` with the given standard handles (inherited).
PROCESS_INFORMATION start(std::string command, HANDLE in, HANDLE out, HANDLE err) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        throw std::runtime_error("cannot start " + command);
    }
    return pi;
}

DWORD exit_code_of(const PROCESS_INFORMATION& pi) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

void close(const PROCESS_INFORMATION& pi) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace

std::string run_console_pipe(const std::string& exe, const std::string& text) {
    char full[MAX_PATH];
    if (GetFullPathNameA(exe.c_str(), MAX_PATH, full, nullptr) == 0) throw std::runtime_error("path");
    const std::string out_path = write_temp_file("stdout", "");
    HANDLE out = open_inheritable(out_path, true);
    const PROCESS_INFORMATION pi = start("cmd.exe /c echo " + text + "| \"" + full + "\"",
                                         GetStdHandle(STD_INPUT_HANDLE), out, GetStdHandle(STD_ERROR_HANDLE));
    CloseHandle(out);
    exit_code_of(pi);
    close(pi);
    return read_file(out_path);
}

open_pipe_result run_with_open_input(const std::string& exe, const std::string& text, int seconds) {
    const std::string out_path = write_temp_file("stdout", "");
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) throw std::runtime_error("pipe");
    SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE out = open_inheritable(out_path, true);
    const PROCESS_INFORMATION pi = start(quoted(exe), read_end, out, GetStdHandle(STD_ERROR_HANDLE));
    CloseHandle(read_end);
    CloseHandle(out);
    DWORD written = 0;
    WriteFile(write_end, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const bool exited = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0;
    if (!exited) TerminateProcess(pi.hProcess, 99);
    const DWORD code = exit_code_of(pi);
    CloseHandle(write_end);
    close(pi);
    return {exited, static_cast<int>(code), read_file(out_path)};
}

run_result run_program(const std::string& exe, const std::vector<std::string>& args,
                       const std::string& input_path, output_to out) {
    const std::string out_path = write_temp_file("stdout", "");
    const std::string err_path = write_temp_file("stderr", "");
    HANDLE in = open_inheritable(input_path, false);
    HANDLE err = open_inheritable(err_path, true);
    HANDLE child_out = nullptr;
    HANDLE pipe_read = nullptr;
    switch (out) {
        case output_to::file:
            child_out = open_inheritable(out_path, true);
            break;
        case output_to::full_device: {
            // Windows has no full device: a pipe whose reader is gone fails
            // every write in the same way.
            SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
            if (!CreatePipe(&pipe_read, &child_out, &sa, 0)) throw std::runtime_error("pipe");
            CloseHandle(pipe_read);
            break;
        }
        case output_to::closed:
            child_out = nullptr;
            break;
    }

    std::string command = quoted(exe);
    for (const std::string& a : args) command += ' ' + quoted(a);
    const PROCESS_INFORMATION pi = start(command, in, child_out, err);
    CloseHandle(in);
    CloseHandle(err);
    if (child_out != nullptr) CloseHandle(child_out);

    const DWORD code = exit_code_of(pi);
    PROCESS_MEMORY_COUNTERS counters{};
    long peak_kib = 0;
    if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) {
        peak_kib = static_cast<long>(counters.PeakWorkingSetSize / 1024);
    }
    close(pi);
    return {static_cast<int>(code), read_file(out_path), read_file(err_path), peak_kib};
}

#else

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

    std::vector<std::string> words = command_words(exe, args);
    const pid_t pid = spawn(words, actions);
    posix_spawn_file_actions_destroy(&actions);

    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) throw std::runtime_error("wait4");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_path), read_file(err_path),
            usage.ru_maxrss};
}

open_pipe_result run_with_open_input(const std::string& exe, const std::string& text, int seconds) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    const std::string out_path = write_temp_file("stdout", "");
    posix_spawn_file_actions_t actions;
    check(posix_spawn_file_actions_init(&actions), "file actions");
    check(posix_spawn_file_actions_adddup2(&actions, fds[0], 0), "stdin");
    check(posix_spawn_file_actions_addclose(&actions, fds[1]), "pipe");
    check(posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_TRUNC, 0), "stdout");
    std::vector<std::string> words = command_words(exe, {});
    const pid_t pid = spawn(words, actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (write(fds[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("write");
    }

    int status = 0;
    bool exited = false;
    for (int waited_ms = 0; waited_ms < seconds * 1000; waited_ms += 10) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            break;
        }
        usleep(10000);
    }
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(fds[1]);
    return {exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_path)};
}

#endif

}  // namespace tariff_test
