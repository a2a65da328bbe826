// tariff: reads w and d from standard input and writes the charge.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "job.hpp"

namespace {

// A Source over a stream through a fixed buffer, so that any amount of
// white space or leading zeros is read in constant memory.
class stream_source {
public:
    explicit stream_source(std::FILE* f) : f_(f) {}
    int peek() {
        if (pos_ == len_ && !fill()) return -1;
        return buf_[pos_];
    }
    void advance() { ++pos_; }
    bool failed() const { return failed_; }
    int error() const { return error_; }

private:
    bool fill() {
        if (failed_) return false;
        pos_ = 0;
        len_ = std::fread(buf_, 1, sizeof buf_, f_);
        if (len_ == 0 && std::ferror(f_)) {
            failed_ = true;
            error_ = errno;
        }
        return len_ != 0;
    }
    std::FILE* f_;
    unsigned char buf_[16384];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

int fail(const char* what, int err) {
    if (err != 0) {
        (void)std::fprintf(stderr, "tariff: %s: %s\n", what, std::strerror(err));
    } else {
        (void)std::fprintf(stderr, "tariff: %s\n", what);
    }
    return 1;
}

}  // namespace

int main() {
    stream_source in(stdin);
    const tariff::job_result job = tariff::run_job(in);
    if (in.failed()) return fail("error reading standard input", in.error());
    if (job.status == tariff::scan_status::not_two_numbers) {
        return fail("expected two whole numbers on standard input", 0);
    }
    if (job.status == tariff::scan_status::out_of_range) {
        return fail("number out of range (-2147483648 to 2147483647)", 0);
    }
    if (job.length == 0) return 0;  // no tariff row: nothing to write

    // Check the flush and the close too: output to a full disk or a closed
    // descriptor only fails there.
    errno = 0;
    if (std::fwrite(job.text, 1, job.length, stdout) != job.length || std::fflush(stdout) != 0 ||
        std::fclose(stdout) != 0) {
        return fail("error writing standard output", errno);
    }
    return 0;
}
