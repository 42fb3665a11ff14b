#include "platform/Outcome.h"

#include <cerrno>
#include <cstring>

QString ErrnoText(int error) {
    if (error == ENOSPC || error == EDQUOT) {
        return "disk full";
    }
    return QString::fromLocal8Bit(std::strerror(error));
}
