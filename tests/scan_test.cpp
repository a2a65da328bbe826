#include "scan.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using tariff::scan_status;

struct Case {
    std::string input;
    scan_status status;
    std::int32_t w, d;
};

tariff::scanned scan(const std::string& s, std::size_t* left = nullptr) {
    tariff::memory_source in(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    const tariff::scanned r = tariff::scan_two(in);
    if (left != nullptr) {
        *left = 0;
        for (; in.peek() != -1; in.advance()) ++*left;
    }
    return r;
}

TEST(Scan, ReadsTwoIntegersAsPercentDPercentD) {
    const Case cases[] = {
        {"10 230", scan_status::ok, 10, 230},
        {"10\n230\n", scan_status::ok, 10, 230},
        {" \t\n\v\f\r10 \t\n\v\f\r230", scan_status::ok, 10, 230},
        {"10 230\r\n", scan_status::ok, 10, 230},
        {"-9-3", scan_status::ok, -9, -3},
        {"+5+6", scan_status::ok, 5, 6},
        {"-0 +0", scan_status::ok, 0, 0},
        {"00000000000000000000000012 -0000000000000000000000034", scan_status::ok, 12, -34},
        {"2147483647 -2147483648", scan_status::ok, 2147483647, -2147483647 - 1},
        {"1 2 3", scan_status::ok, 1, 2},
        {"1 2abc", scan_status::ok, 1, 2},
        {"1 2.5", scan_status::ok, 1, 2},
        {"0x10 1", scan_status::not_two_numbers, 0, 0},  // reads 0, then 'x' is no number
        {"", scan_status::not_two_numbers, 0, 0},
        {"   \n", scan_status::not_two_numbers, 0, 0},
        {"abc", scan_status::not_two_numbers, 0, 0},
        {"12", scan_status::not_two_numbers, 12, 0},
        {"12 ", scan_status::not_two_numbers, 12, 0},
        {"12 x", scan_status::not_two_numbers, 12, 0},
        {"- 5 6", scan_status::not_two_numbers, 0, 0},
        {"+", scan_status::not_two_numbers, 0, 0},
        {"5 -", scan_status::not_two_numbers, 5, 0},
        {"--5 6", scan_status::not_two_numbers, 0, 0},
        {"\xef\xbb\xbf"
         "5 6",
         scan_status::not_two_numbers, 0, 0},  // a byte-order mark is text
        {"2147483648 1", scan_status::out_of_range, 0, 0},
        {"-2147483649 1", scan_status::out_of_range, 0, 0},
        {"1 2147483648", scan_status::out_of_range, 1, 0},
        {"99999999999999999999999999999 1", scan_status::out_of_range, 0, 0},
        {"4294967306 1", scan_status::out_of_range, 0, 0},  // 2^32 + 10 must not wrap to 10
        {"2147483648", scan_status::out_of_range, 0, 0},    // the first error is the one told
    };
    for (const Case& c : cases) {
        const tariff::scanned r = scan(c.input);
        EXPECT_EQ(r.status, c.status) << '"' << c.input << '"';
        if (r.status == scan_status::ok) {
            EXPECT_EQ(r.w, c.w) << '"' << c.input << '"';
            EXPECT_EQ(r.d, c.d) << '"' << c.input << '"';
        }
    }
}

TEST(Scan, StopsAtTheByteAfterTheSecondNumber) {
    std::size_t left = 0;
    scan("1 2\n3 4", &left);
    EXPECT_EQ(left, 4u);  // "\n3 4" stays unread
    scan("1 2", &left);
    EXPECT_EQ(left, 0u);
}

TEST(Scan, LongRunsOfDigitsAndSpace) {
    const std::string zeros(1 << 20, '0');
    const std::string spaces(1 << 20, ' ');
    tariff::scanned r = scan(spaces + "-" + zeros + "7" + spaces + zeros + "2147483647");
    EXPECT_EQ(r.status, scan_status::ok);
    EXPECT_EQ(r.w, -7);
    EXPECT_EQ(r.d, 2147483647);
    r = scan("1 " + zeros + "2147483648");
    EXPECT_EQ(r.status, scan_status::out_of_range);
}

}  // namespace
