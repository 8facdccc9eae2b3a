#pragma once

#include "core/DiskFaults.h"

namespace skyloom::test {

// While it lives, the disk "fills" at the nth write from its start (1 = the
// first write): that write and all later ones fail as on a full disk.
class DiskFillsAt {
public:
    explicit DiskFillsAt(long n) { core::diskfaults::fillAtWrite(n); }
    ~DiskFillsAt() { core::diskfaults::fillAtWrite(0); }
    DiskFillsAt(const DiskFillsAt&) = delete;
    DiskFillsAt& operator=(const DiskFillsAt&) = delete;
    // Writes made so far (the failed ones included).
    long writes() const { return core::diskfaults::writesSoFar(); }
};

}  // namespace skyloom::test
