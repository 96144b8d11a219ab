// The radix-2 transform of the input spectra (256 points cover one mains period).
#include "kinds/Fft.h"

#include <cmath>
#include <numbers>

namespace korvex {

Fft::Fft(int size) : size_(size), stages_(0)
{
    // Only powers of two are meaningful; anything else falls back to 256.
    if (size_ < 2 || (size_ & (size_ - 1)) != 0)
        size_ = 256;
    while ((1 << stages_) < size_)
        ++stages_;
    twiddle_.resize(static_cast<size_t>(size_ / 2));
    for (int k = 0; k < size_ / 2; ++k) {
        // Computed in double so the table itself adds no single-precision error.
        const double a = -2.0 * std::numbers::pi * k / size_;
        twiddle_[static_cast<size_t>(k)] = {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))};
    }
}

void Fft::transform(std::complex<float>* x) const
{
    // Decimation in frequency: butterflies first, twiddle on the difference, halving spans.
    for (int s = 0; s < stages_; ++s) {
        const int half = size_ >> (s + 1);
        const int step = 1 << s; // twiddle stride for this stage
        for (int start = 0; start < size_; start += 2 * half) {
            for (int j = 0; j < half; ++j) {
                const std::complex<float> a = x[start + j];
                const std::complex<float> b = x[start + j + half];
                x[start + j] = a + b;
                x[start + j + half] = (a - b) * twiddle_[static_cast<size_t>(j) * step];
            }
        }
    }
    // The output is in bit-reversed order.
    for (int i = 0; i < size_; ++i) {
        int r = 0;
        for (int b = 0; b < stages_; ++b)
            r |= ((i >> b) & 1) << (stages_ - 1 - b);
        if (r > i)
            std::swap(x[i], x[r]);
    }
}

void Fft::magnitudes(const float* samples, float* amp, int orders) const
{
    std::vector<std::complex<float>> buf(static_cast<size_t>(size_));
    for (int i = 0; i < size_; ++i)
        buf[static_cast<size_t>(i)] = {samples[i], 0.0f};
    transform(buf.data());
    for (int n = 0; n < orders && n < size_; ++n) {
        const float re = buf[static_cast<size_t>(n)].real();
        const float im = buf[static_cast<size_t>(n)].imag();
        amp[n] = std::sqrt(re * re + im * im);
    }
}

} // namespace korvex
