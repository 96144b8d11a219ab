// The millisecond tick counter the link measures its time limits with: 32 bits, wrapping,
// differences taken as signed 32-bit numbers. Tests substitute a clock they drive.
#pragma once

#include <cstdint>

namespace korvex {

class Clock {
  public:
    virtual ~Clock() = default;
    /// Milliseconds since some fixed moment, wrapping at 2^32.
    virtual uint32_t ticks() const = 0;
};

/// now - since as a signed 32-bit number, so the difference stays right across the wrap.
inline int32_t tickDifference(uint32_t now, uint32_t since)
{
    return static_cast<int32_t>(now - since);
}

} // namespace korvex
