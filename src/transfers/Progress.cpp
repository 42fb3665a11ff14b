#include "transfers/Progress.h"

int ProgressPosition(qint64 done, qint64 total) {
    // (done * 100 / total + 1/2) = (200 * done + total) / (2 * total)
    const __int128 n = static_cast<__int128>(done) * 200 + total;
    const __int128 d = static_cast<__int128>(total) * 2;
    __int128 q = n / d;
    const __int128 r2 = (n % d) * 2;
    if (r2 > d || (r2 == d && (q % 2) != 0)) {
        ++q;
    }
    return static_cast<int>(q);
}
