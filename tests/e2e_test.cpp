// The built program end to end: standard output byte for byte, standard
// error and exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "run_program.hpp"

namespace {

using tariff_test::output_to;
using tariff_test::run_program;
using tariff_test::write_temp_file;

const std::string exe = TARIFF_EXE;
#ifdef _WIN32
const std::string eol = "\r\n";  // standard error is a text stream there
#else
const std::string eol = "\n";
#endif
const std::string not_two = "tariff: expected two whole numbers on standard input" + eol;
const std::string out_of_range = "tariff: number out of range (-2147483648 to 2147483647)" + eol;

struct Case {
    const char* input;
    const char* out;
    std::string err;
    int status;
};

TEST(Program, Table) {
    const Case cases[] = {
        // Worked examples.
        {"10 230", "1372.00", "", 0},
        {"10 100", "500.00", "", 0},
        {"3 100", "650.00", "", 0},
        {"10 30", "400.00", "", 0},
        {"-9 -49", "0.50", "", 0},
        {"-9 300", "147.00", "", 0},
        {"-9 600", "285.00", "", 0},
        {"-9 1000", "460.00", "", 0},
        {"-9 2000", "900.00", "", 0},
        {"-9-3", "23.50", "", 0},
        {"-15 100", "-250.00", "", 0},
        {"10 -20", "150.00", "", 0},
        {"10 -50", "", "", 0},  // no row: nothing, and success
        {"10 -60", "", "", 0},
        {"10 0", "0.00", "", 0},
        {"0 100", "0.00", "", 0},
        {"-15 0", "0.00", "", 0},  // never -0.00
        // Layout of the input.
        {"  10\n\n\t230\r\n", "1372.00", "", 0},
        {"10 230 and more", "1372.00", "", 0},
        {"10 230\n7 7\n", "1372.00", "", 0},
        // No wrap near the top of the range.
        {"2147483647 100", "107374182400.00", "", 0},
        {"10 2147483647", "9663676416.00", "", 0},
        {"-2147483648 2147483647", "-2075258790755696640.00", "", 0},
        // Hard cases: binary32 tie at 2^24 + 1, double rounding, two-decimal tie.
        {"16777207 -48", "16777216.00", "", 0},
        {"710600213 342195348", "109423861052735488.00", "", 0},
        {"8197 306", "1431629.12", "", 0},
        {"2999 1108", "1602834.12", "", 0},
        // Not two numbers.
        {"", "", not_two, 1},
        {"   \n", "", not_two, 1},
        {"ten 230", "", not_two, 1},
        {"10", "", not_two, 1},
        {"10 x", "", not_two, 1},
        {"- 10 230", "", not_two, 1},
        {"10 +", "", not_two, 1},
        {"2147483648 1", "", out_of_range, 1},
        {"-2147483649 1", "", out_of_range, 1},
        {"1 99999999999999999999", "", out_of_range, 1},
    };
    for (const Case& c : cases) {
        const auto r = run_program(exe, {}, write_temp_file("in", c.input));
        EXPECT_EQ(r.out, c.out) << '"' << c.input << '"';
        EXPECT_EQ(r.err, c.err) << '"' << c.input << '"';
        EXPECT_EQ(r.exit_code, c.status) << '"' << c.input << '"';
    }
}

#ifdef _WIN32
// What a console pipe delivers: "10 230 \r\n" and the like.
TEST(Program, InputPipedFromTheConsole) {
    EXPECT_EQ(tariff_test::run_console_pipe(exe, "10 230"), "1372.00");
    EXPECT_EQ(tariff_test::run_console_pipe(exe, "-9-3"), "23.50");
}
#endif

// A writer that keeps the pipe open, as a coprocess does, gets its answer
// once the second number has ended: the program reads no further ahead.
TEST(Program, AnswersWithoutWaitingForTheEndOfInput) {
    const auto r = tariff_test::run_with_open_input(exe, "10 230\n", 20);
    EXPECT_TRUE(r.exited) << "still waiting for input";
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "1372.00");
}

TEST(Program, IgnoresArguments) {
    const auto r = run_program(exe, {"--help", "5", "7"}, write_temp_file("in", "10 230"));
    EXPECT_EQ(r.out, "1372.00");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_code, 0);
}

TEST(Program, FailedWriteIsAnError) {
    const std::string in = write_temp_file("in", "10 230");
    for (const output_to where : {output_to::full_device, output_to::closed}) {
        const auto r = run_program(exe, {}, in, where);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err.rfind("tariff: error writing standard output: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

TEST(Program, NothingToWriteSucceedsWithOutputClosed) {
    const auto r = run_program(exe, {}, write_temp_file("in", "10 -50"), output_to::closed);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
}

// 64 MiB of white space, or of leading zeros, must not grow the program:
// its peak must stay within a little of a plain run's, and small. (The peak
// a child reports includes this process's own, so the input is written in
// pieces rather than held here.)
TEST(Program, ConstantMemory) {
    const std::string chunk_of_spaces(1 << 20, ' ');
    const std::string chunk_of_zeros(1 << 20, '0');
    const long plain = run_program(exe, {}, write_temp_file("in", "10 230")).peak_rss_kib;

    const auto r1 = run_program(exe, {}, write_temp_file("big", "", chunk_of_spaces, 64, "10 230"));
    EXPECT_EQ(r1.out, "1372.00");
    const auto r2 = run_program(exe, {}, write_temp_file("big", "-", chunk_of_zeros, 64, "9 230"));
    EXPECT_EQ(r2.out, "137.20");

    if (!tariff_test::peak_is_the_programs()) GTEST_SKIP() << "the peak measured here is not the program's";
    for (const long peak : {r1.peak_rss_kib, r2.peak_rss_kib}) {
        EXPECT_LT(peak - plain, 1024) << "peak " << peak << " KiB against " << plain << " KiB";
#if !defined(__SANITIZE_ADDRESS__) && !defined(TARIFF_EMULATOR)  // else the bound is theirs
        EXPECT_LT(peak, 16 * 1024) << "peak " << peak << " KiB";
#endif
    }
}

}  // namespace
