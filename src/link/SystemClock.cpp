// The system tick counter.
#include "link/SystemClock.h"

namespace korvex {

SystemClock::SystemClock(uint32_t offset) : offset_(offset)
{
    timer_.start();
}

uint32_t SystemClock::ticks() const
{
    return static_cast<uint32_t>(timer_.elapsed()) + offset_;
}

SystemClock& SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}

} // namespace korvex
