// roundHalfDown, the shared peak search and the 200-point resampling.
#include "record/Signal.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace korvex {

int32_t roundHalfDown(float x)
{
    if (std::isnan(x))
        return 0;
    const double t = std::trunc(static_cast<double>(x));
    if (t >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (t <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    const int32_t r = static_cast<int32_t>(t);
    return (static_cast<double>(x) - t > 0.5) ? r + 1 : r;
}

float peakSearch(const float* values, int n, int32_t& peakIndex)
{
    float largest = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float a = std::fabs(values[i]);
        if (a > largest) {
            largest = a;
            peakIndex = i;
        }
    }
    return largest;
}

void resampleTo200(float* w, int sampleCount, int capacity)
{
    if (capacity <= 0)
        return;
    float out[200];
    out[0] = w[0];
    const int last = capacity - 1;
    for (int p = 1; p < 200; ++p) {
        const double x = static_cast<double>(sampleCount) * p * 0.005;
        const double ip = std::floor(x);
        const float f = static_cast<float>(x - ip);
        const int i = std::clamp(static_cast<int>(ip), 0, last);
        const int j = std::min(i + 1, last);
        out[p] = (w[j] - w[i]) * f + w[i];
    }
    std::copy(out, out + std::min(200, capacity), w);
}

} // namespace korvex
