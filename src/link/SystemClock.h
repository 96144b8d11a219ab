// The tick counter of the running system: a monotonic millisecond clock cut to 32 bits.
#pragma once

#include <QElapsedTimer>

#include "link/Clock.h"

namespace korvex {

class SystemClock final : public Clock {
  public:
    /// offset is added to every reading (lets a run start just before the 2^32 wrap).
    explicit SystemClock(uint32_t offset = 0);
    uint32_t ticks() const override;

    /// The clock shared by everything that does not bring its own.
    static SystemClock& instance();

  private:
    QElapsedTimer timer_;
    uint32_t offset_;
};

} // namespace korvex
