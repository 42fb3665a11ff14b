#include "logic/Progress.h"

#include <cstdint>

int ProgressPosition(qint64 done, qint64 total) {
    // The value rounded is 100 * done / total + 1/2 = A + r / total + 1/2 with A whole and
    // 0 <= r < total: above a half whenever r > 0 (so A + 1), and a tie between A and A + 1,
    // settled to the even one, when r == 0.
    const auto t = static_cast<uint64_t>(total);
    const auto d = static_cast<uint64_t>(done < 0 ? 0 : done);
    // done = whole * total + rest; 100 * rest / total is worked out one decimal digit at a time,
    // each digit by adding modulo total, so no product ever exceeds 64 bits.
    uint64_t a = (d / t) * 100;
    uint64_t r = d % t;
    uint64_t fraction = 0;
    for (int digit = 0; digit < 2; ++digit) {
        uint64_t next = 0;
        uint64_t carry = 0;
        for (int k = 0; k < 10; ++k) {
            next += r;  // next, r < t <= 2^63 - 1: the sum fits
            if (next >= t) {
                next -= t;
                ++carry;
            }
        }
        fraction = fraction * 10 + carry;
        r = next;
    }
    a += fraction;
    return static_cast<int>(r != 0 || a % 2 != 0 ? a + 1 : a);
}
