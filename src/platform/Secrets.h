#pragma once

#include <QString>

// words × 64 random bits from the system's generator, as lower-case hex.
QString RandomHex(int words);
