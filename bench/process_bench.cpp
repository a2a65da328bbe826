// Process-level benchmarks of the built program (Linux):
//   process_bench startup RUNS INPUT PROGRAM BASELINE
//     spawns each program RUNS times, alternating, standard input from
//     INPUT and standard output to /dev/null, and prints the median wall
//     time of each and the ratio (target: at most 1.10);
//   process_bench memory MIB PROGRAM
//     pipes MIB MiB of white space, then as many of leading zeros, then a
//     job into PROGRAM and prints its peak resident memory (target: under
//     2 MiB).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void die(const char* what) {
    std::perror(what);
    std::exit(2);
}

// Spawns program with the given standard input and output; returns the wait
// status and fills usage.
int run(const char* program, int in_fd, int out_fd, rusage& usage) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_fd, 0);
    posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) die("spawn");
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (wait4(pid, &status, 0, &usage) != pid) die("wait4");
    return status;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int startup(int runs, const char* input, const char* program, const char* baseline) {
    const int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd < 0) die("/dev/null");
    std::vector<double> times[2];
    const char* programs[2] = {program, baseline};
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            const int in_fd = open(input, O_RDONLY);
            if (in_fd < 0) die(input);
            rusage usage{};
            const auto start = std::chrono::steady_clock::now();
            const int status = run(programs[p], in_fd, null_fd, usage);
            const auto stop = std::chrono::steady_clock::now();
            close(in_fd);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                (void)std::fprintf(stderr, "%s failed\n", programs[p]);
                return 2;
            }
            times[p].push_back(std::chrono::duration<double, std::micro>(stop - start).count());
        }
    }
    const double a = median(times[0]), b = median(times[1]);
    std::printf("runs: %d each, alternating\n", runs);
    std::printf("tariff median:   %8.1f us  (%s)\n", a, program);
    std::printf("baseline median: %8.1f us  (%s)\n", b, baseline);
    std::printf("ratio tariff/baseline: %.3f (target at most 1.10)\n", a / b);
    return a / b <= 1.10 ? 0 : 1;
}

void write_all(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t k = write(fd, data, n);
        if (k <= 0) die("write");
        data += k;
        n -= static_cast<std::size_t>(k);
    }
}

// VmHWM of a running process, in KiB, or -1.
long peak_kib(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    (void)std::fclose(f);
    return kib;
}

int memory(long mib, const char* program) {
    int fds[2];
    if (pipe(fds) != 0) die("pipe");
    const int null_fd = open("/dev/null", O_WRONLY);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, null_fd, 1);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) die("spawn");
    close(fds[0]);

    std::vector<char> chunk(1 << 20, ' ');
    for (long i = 0; i < mib; ++i) write_all(fds[1], chunk.data(), chunk.size());
    write_all(fds[1], "10 -", 4);
    std::fill(chunk.begin(), chunk.end(), '0');
    for (long i = 0; i < mib; ++i) write_all(fds[1], chunk.data(), chunk.size());
    write_all(fds[1], "230", 3);
    // The program now waits for the end of its last number. Its own peak is
    // read here: the one wait4 reports would include this process's, which
    // a spawned child inherits.
    usleep(200000);
    const long peak = peak_kib(pid);
    close(fds[1]);

    int status = 0;
    if (waitpid(pid, &status, 0) != pid) die("waitpid");
    std::printf("input: %ld MiB of white space, then %ld MiB of zeros\n", mib, mib);
    std::printf("peak resident memory: %ld KiB (target under 2048 KiB)\n", peak);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && peak > 0 && peak < 2048 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "startup") == 0) {
        return startup(static_cast<int>(std::strtol(argv[2], nullptr, 10)), argv[3], argv[4], argv[5]);
    }
    if (argc == 4 && std::strcmp(argv[1], "memory") == 0)
        return memory(std::strtol(argv[2], nullptr, 10), argv[3]);
    (void)std::fprintf(stderr,
                       "usage: process_bench startup RUNS INPUT PROGRAM BASELINE\n"
                       "       process_bench memory MIB PROGRAM\n");
    return 2;
}
