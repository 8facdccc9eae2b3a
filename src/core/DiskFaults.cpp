#include "core/DiskFaults.h"

#include <atomic>

namespace skyloom::core::diskfaults {

namespace {
std::atomic<long> g_failFrom{0};
std::atomic<long> g_writes{0};
}  // namespace

void fillAtWrite(long n) {
    g_writes = 0;
    g_failFrom = n;
}

long writesSoFar() { return g_writes; }

bool nextWriteFails() {
    const long at = ++g_writes;
    const long from = g_failFrom.load();
    return from > 0 && at >= from;
}

}  // namespace skyloom::core::diskfaults
