#include "platform/seams.h"

#include <utility>

namespace platform {

Seams& seams() {
    static Seams current;
    return current;
}

Seams exchangeSeams(Seams next) {
    return std::exchange(seams(), std::move(next));
}

} // namespace platform
