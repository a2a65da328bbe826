// Runs the built program with its standard streams on files.
#pragma once

#include <string>
#include <vector>

namespace tariff_test {

enum class output_to { file, full_device, closed };

struct run_result {
    int exit_code;  // -1 if it did not exit normally
    std::string out;
    std::string err;
    long peak_rss_kib;  // peak resident memory of the program
};

// Runs exe with args, standard input from input_path.
run_result run_program(const std::string& exe, const std::vector<std::string>& args,
                       const std::string& input_path, output_to out = output_to::file);

// Whether run_result::peak_rss_kib measures the program itself: not under a
// wrapper command, nor under Wine, whose counters are its own.
bool peak_is_the_programs();

// Starts exe with `text` on a pipe that stays open, as a coprocess's writer
// would keep it, and waits up to `seconds` for it to exit. Returns whether
// it exited by then (it is killed if not) and what it wrote.
struct open_pipe_result {
    bool exited;
    int exit_code;
    std::string out;
};
open_pipe_result run_with_open_input(const std::string& exe, const std::string& text, int seconds);

#ifdef _WIN32
// Runs `cmd.exe /c echo TEXT| exe`: input as a Windows console pipes it,
// with its own line end. Returns standard output.
std::string run_console_pipe(const std::string& exe, const std::string& text);
#endif

// Writes data to a fresh file in the test's temporary folder; returns its path.
std::string write_temp_file(const std::string& name, const std::string& data);

// The same for head, then `repeat` copies of chunk, then tail.
std::string write_temp_file(const std::string& name, const std::string& head, const std::string& chunk,
                            int repeat, const std::string& tail);

}  // namespace tariff_test
