#pragma once

#include <QtGlobal>

// done * 100 / total + 0.5, rounded to the nearest whole number with halves going to the even
// one, computed exactly (no floating point, no overflow for any 32-bit count). So 1025 of 3000
// gives 35, half gives 50, 51 % gives 52, all gives 100. total must be positive.
int ProgressPosition(qint64 done, qint64 total);
