// The 256-point transform against a direct DFT.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "kinds/Fft.h"

namespace korvex {
namespace {

TEST(Fft, MatchesADirectTransform)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
    std::vector<std::complex<float>> x(256);
    for (auto& v : x)
        v = {dist(gen), dist(gen)};
    std::vector<std::complex<float>> y = x;
    const Fft fft(256);
    fft.transform(y.data());
    for (int n = 0; n < 256; ++n) {
        std::complex<double> sum;
        for (int k = 0; k < 256; ++k)
            sum += std::complex<double>(x[static_cast<size_t>(k)]) *
                   std::polar(1.0, -2.0 * std::numbers::pi * n * k / 256);
        ASSERT_NEAR(y[static_cast<size_t>(n)].real(), sum.real(), 0.5) << n;
        ASSERT_NEAR(y[static_cast<size_t>(n)].imag(), sum.imag(), 0.5) << n;
    }
}

TEST(Fft, CosineOfOrderFiveFallsInBinFive)
{
    std::vector<float> s(256);
    for (int i = 0; i < 256; ++i)
        s[static_cast<size_t>(i)] = static_cast<float>(3.0 * std::cos(2.0 * std::numbers::pi * 5 * i / 256) + 2.0);
    float amp[40];
    Fft(256).magnitudes(s.data(), amp, 40);
    EXPECT_NEAR(amp[0], 512.0, 1e-2);
    EXPECT_NEAR(amp[5], 384.0, 1e-2);
    EXPECT_NEAR(amp[4], 0.0, 1e-2);
    EXPECT_NEAR(amp[6], 0.0, 1e-2);
}

TEST(Fft, OtherPowersOfTwo)
{
    std::vector<std::complex<float>> x(8, {1.0f, 0.0f});
    const Fft fft(8);
    ASSERT_EQ(fft.size(), 8);
    fft.transform(x.data());
    EXPECT_FLOAT_EQ(x[0].real(), 8.0f);
    for (int n = 1; n < 8; ++n)
        EXPECT_NEAR(std::abs(x[static_cast<size_t>(n)]), 0.0, 1e-6);
    EXPECT_EQ(Fft(100).size(), 256); // not a power of two
}

} // namespace
} // namespace korvex
