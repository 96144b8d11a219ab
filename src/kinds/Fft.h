// Fft: the in-place 256-point radix-2 transform used by the input evaluation's spectra.
#pragma once

#include <complex>
#include <vector>

namespace korvex {

/// Radix-2 decimation-in-frequency transform, unnormalised and direct (twiddles e^(-j2πk/N)),
/// followed by the bit-reversal permutation so that x[n] ends up as bin n. The twiddle table
/// is built once per transform size.
class Fft {
  public:
    explicit Fft(int size = 256);

    int size() const { return size_; }
    /// Transforms size() points in place.
    void transform(std::complex<float>* x) const;

    /// Magnitudes |X[n]| for n < orders of size() real samples (orders <= size()).
    void magnitudes(const float* samples, float* amp, int orders) const;

  private:
    int size_;
    int stages_;
    std::vector<std::complex<float>> twiddle_; // e^(-j2πk/N), k = 0..N/2-1
};

} // namespace korvex
