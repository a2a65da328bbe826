// tariff: reads w and d from standard input and writes the charge.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "job.hpp"

namespace {

// A Source over a stream, one byte of look-ahead on top of the stream's own
// buffer: constant memory for any amount of white space or leading zeros,
// and no read past what the job needs, so that a writer that keeps the pipe
// open gets its answer as soon as the second number ends.
class stream_source {
public:
    explicit stream_source(std::FILE* f) : f_(f) {}
    int peek() {
        if (!have_) {
            next_ = std::getc(f_);
            have_ = true;
            if (next_ == EOF && std::ferror(f_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
        }
        return next_ == EOF ? -1 : next_;
    }
    void advance() { have_ = false; }
    bool failed() const { return error_ != 0; }
    int error() const { return error_; }

private:
    std::FILE* f_;
    int next_ = EOF;
    bool have_ = false;
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
