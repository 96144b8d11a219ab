// The pauses between attempts to write what waits for the results log.
#pragma once

#include <algorithm>
#include <cstdint>

namespace korvex {

/// The first pause, doubled after every failed attempt up to 30 times the first pause or a
/// minute, whichever is less (never below the first): a file that stays locked is not hammered,
/// and one freed is found soon.
class RetrySchedule {
  public:
    explicit RetrySchedule(int firstMs = 2000) : first_(firstMs), next_(firstMs) {}

    int first() const { return first_; }
    /// A new first pause; the schedule starts again from it.
    void setFirst(int ms) { first_ = next_ = ms; }
    /// The pause before the next attempt; the one after it is twice as long, up to the limit.
    int take()
    {
        const int pause = next_;
        const int64_t limit = std::max<int64_t>(first_, std::min<int64_t>(kLimitMs, int64_t(first_) * 30));
        next_ = int(std::min<int64_t>(limit, int64_t(next_) * 2));
        return pause;
    }
    /// After a success: the next trouble starts again with the first pause.
    void reset() { next_ = first_; }

  private:
    static constexpr int kLimitMs = 60000;
    int first_;
    int next_;
};

} // namespace korvex
