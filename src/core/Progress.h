#pragma once

#include <cstdint>
#include <string_view>

namespace skyloom::core {

// Long work reports through this: the windows update the wait label, keep the
// window alive and see Esc; the command-line tool draws a progress bar.
class Progress {
public:
    virtual ~Progress() = default;
    // done of total steps; text is the wait-label caption (may be empty: keep the last one).
    virtual void step(std::int64_t done, std::int64_t total, std::string_view text = {}) = 0;
    // Polled by the work between steps; true asks it to stop as soon as it safely can.
    virtual bool cancelRequested() { return false; }
};

class NullProgress final : public Progress {
public:
    void step(std::int64_t, std::int64_t, std::string_view) override {}
};

}  // namespace skyloom::core
