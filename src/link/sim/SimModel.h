// The simulated instrument's physics: a ballast with its lamp on 230 V 50 Hz mains, measured
// the way the instrument does, and turned into the reply blocks of each test.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <random>
#include <vector>

namespace korvex {

struct SequenceSpec;

/// What distinguishes one simulated ballast from another.
struct BallastScenario {
    QString name;
    bool activePfc = true;         // active power-factor correction, else a capacitor-input rectifier
    double inputPower = 60.0;      // W drawn from the mains
    double outputFrequency = 45.0; // kHz
    double lampVoltage = 100.0;    // V rms while burning
    double lampCurrent = 0.30;     // A rms
    double filamentCurrent = 0.15; // A rms while burning
    double ignitionPeak = 650.0;   // V
    double preheatTime = 1.5;      // s before ignition
    double preheatCurrent = 1.35;  // A rms through the filament while preheating
};

class SimModel {
  public:
    /// An unknown name gives the default "pfc" scenario; use knownScenario() to check first.
    explicit SimModel(const QString& scenario = QStringLiteral("pfc"), uint32_t seed = 1);

    static QStringList scenarioNames();
    static bool knownScenario(const QString& name);
    const BallastScenario& scenario() const { return scenario_; }

    /// The reply blocks of one run of a kind, in sequence order, sized by the kind's step
    /// table (the energy acknowledgement is not among them).
    std::vector<std::vector<uint8_t>> measurement(int32_t kind);

    // Waveforms in physical units, as the blocks carry them (exposed for tests).
    struct InputWaves {
        std::vector<double> u, i;
        double frequency;
        double hfCurrent;
    };
    struct OutputWaves {
        std::vector<double> ul, iff, il, ik;
        double frequency;
    };
    struct StartWaves {
        std::vector<double> ul, iff, il, ik;
        double preheatTime;
    };
    struct EnergyWaves {
        std::vector<double> u, i, p;
    };
    InputWaves inputWaves();
    OutputWaves outputWaves();
    StartWaves startWaves();
    EnergyWaves energyWaves();

    // Instrument scales: ADC counts per volt or ampere, and the energy calibration factors.
    static constexpr double kInputVolt = 40.0;
    static constexpr double kInputAmp = 8000.0;
    static constexpr double kOutputVolt = 50.0;
    static constexpr double kOutputAmp = 20000.0;
    static constexpr double kStartVolt = 20.0;
    static constexpr double kStartAmp = 20000.0;
    static constexpr double kCalibU = 98.76;
    static constexpr double kCalibI = 10000.0;
    static constexpr double kCalibP = 100.5;

  private:
    double noise(double sigma);
    static std::vector<uint8_t> inputParams(const InputWaves& w, const std::vector<int16_t>& u,
                                            const std::vector<int16_t>& i);
    static std::vector<uint8_t> outputParams(const std::vector<int16_t>& ul, const std::vector<int16_t>& iff,
                                             const std::vector<int16_t>& il, const std::vector<int16_t>& ik,
                                             double frequency);

    BallastScenario scenario_;
    std::mt19937 rng_;
    std::normal_distribution<double> normal_{0.0, 1.0};
};

} // namespace korvex
