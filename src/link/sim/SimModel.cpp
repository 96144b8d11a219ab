// The simulated ballast: mains input, high-frequency lamp output, lamp start and filament
// preheat, computed from circuit models and sampled like the instrument samples them.
#include "link/sim/SimModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "link/Frames.h"

namespace korvex {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kInputSamples = 256;  // one mains period
constexpr int kOutputSamples = 150; // six periods of the lamp frequency
constexpr int kOutputPerCycle = 25;
constexpr double kMainsRms = 230.0;

int16_t toCounts(double value)
{
    return static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

std::vector<int16_t> quantise(const std::vector<double>& wave, double countsPerUnit)
{
    std::vector<int16_t> out(wave.size());
    for (size_t k = 0; k < wave.size(); ++k)
        out[k] = toCounts(wave[k] * countsPerUnit);
    return out;
}

std::vector<uint8_t> sampleBlock(const std::vector<int16_t>& counts, int bytes)
{
    std::vector<uint8_t> block(size_t(bytes), 0);
    for (size_t k = 0; k < counts.size() && 2 * k + 1 < block.size(); ++k)
        encodeSample(counts[k], &block[2 * k]);
    return block;
}

void putFloat(std::vector<uint8_t>& block, int word, double value)
{
    encodeInstrumentFloat(static_cast<float>(value), &block[size_t{4} * word]);
}

double rmsOf(const std::vector<int16_t>& counts, double countsPerUnit)
{
    double sum = 0.0;
    for (int16_t c : counts)
        sum += (c / countsPerUnit) * (c / countsPerUnit);
    return counts.empty() ? 0.0 : std::sqrt(sum / double(counts.size()));
}

double peakOf(const std::vector<int16_t>& counts, double countsPerUnit)
{
    double peak = 0.0;
    for (int16_t c : counts)
        peak = std::max(peak, std::abs(c / countsPerUnit));
    return peak;
}

double meanProduct(const std::vector<int16_t>& a, double ka, const std::vector<int16_t>& b, double kb)
{
    double sum = 0.0;
    for (size_t k = 0; k < a.size(); ++k)
        sum += (a[k] / ka) * (b[k] / kb);
    return a.empty() ? 0.0 : sum / double(a.size());
}

const BallastScenario kScenarios[] = {
    // An electronic ballast with an active power-factor stage driving a 58 W lamp.
    {QStringLiteral("pfc"), true, 60.0, 45.0, 100.0, 0.30, 0.15, 650.0, 1.5, 1.35},
    // A cheap ballast behind a bridge rectifier and bulk capacitor: narrow current pulses.
    {QStringLiteral("cheap"), false, 40.0, 42.0, 98.0, 0.28, 0.18, 900.0, 1.0, 1.6},
};

} // namespace

SimModel::SimModel(const QString& scenario, uint32_t seed) : scenario_(kScenarios[0]), rng_(seed)
{
    for (const BallastScenario& s : kScenarios)
        if (s.name == scenario)
            scenario_ = s;
}

QStringList SimModel::scenarioNames()
{
    QStringList names;
    for (const BallastScenario& s : kScenarios)
        names << s.name;
    return names;
}

bool SimModel::knownScenario(const QString& name)
{
    return scenarioNames().contains(name);
}

double SimModel::noise(double sigma)
{
    return sigma * normal_(rng_);
}

// ---- Input ----------------------------------------------------------------------------------

SimModel::InputWaves SimModel::inputWaves()
{
    InputWaves w;
    w.frequency = 50.0 + noise(0.01);
    const double vPeak = kMainsRms * std::numbers::sqrt2 * (1.0 + noise(0.002));
    // Mains is slightly flat-topped: a little third and fifth harmonic.
    auto mains = [vPeak](double theta) {
        return vPeak * (std::sin(theta) - 0.025 * std::sin(3 * theta) + 0.01 * std::sin(5 * theta + 0.4));
    };
    w.u.resize(kInputSamples);
    w.i.resize(kInputSamples);
    for (int k = 0; k < kInputSamples; ++k)
        w.u[size_t(k)] = mains(kTwoPi * k / kInputSamples);

    if (scenario_.activePfc) {
        // The PFC stage draws a current proportional to the voltage, with a small phase lead
        // from its EMI filter capacitor and a short dead zone around the zero crossing.
        const double g = scenario_.inputPower / (kMainsRms * kMainsRms);
        for (int k = 0; k < kInputSamples; ++k) {
            const double theta = kTwoPi * k / kInputSamples;
            const double s = std::sin(theta);
            double i = g * mains(theta + 0.04) * (std::abs(s) < 0.06 ? std::abs(s) / 0.06 : 1.0);
            i += g * vPeak * 0.03 * std::sin(3 * theta);
            w.i[size_t(k)] = i;
        }
        w.hfCurrent = 0.02;
    } else {
        // Bridge rectifier into a bulk capacitor feeding a constant-power converter, through
        // the line and rectifier resistance. Integrated to steady state, the last period kept.
        const double rs = 22.0, c = 47e-6, period = 1.0 / w.frequency;
        const int sub = 32;
        const double dt = period / (kInputSamples * sub);
        double vc = vPeak * 0.9;
        for (int cycle = 0; cycle < 12; ++cycle) {
            for (int k = 0; k < kInputSamples * sub; ++k) {
                const double theta = kTwoPi * k / (kInputSamples * sub);
                const double v = mains(theta);
                const double iin = std::abs(v) > vc ? (std::abs(v) - vc) / rs : 0.0;
                const double iload = scenario_.inputPower / std::max(vc, 50.0);
                vc += (iin - iload) / c * dt;
                if (cycle == 11 && k % sub == 0)
                    w.i[size_t(k / sub)] = v >= 0 ? iin : -iin;
            }
        }
        w.hfCurrent = 0.05;
    }
    for (int k = 0; k < kInputSamples; ++k) {
        w.u[size_t(k)] += noise(0.15);
        w.i[size_t(k)] += noise(0.0004);
    }
    return w;
}

std::vector<uint8_t> SimModel::inputParams(const InputWaves& w, const std::vector<int16_t>& u,
                                           const std::vector<int16_t>& i)
{
    std::vector<uint8_t> block(40, 0);
    const double urms = rmsOf(u, kInputVolt);
    const double irms = rmsOf(i, kInputAmp);
    const double irmsw = std::sqrt(irms * irms + w.hfCurrent * w.hfCurrent);
    const double p = meanProduct(u, kInputVolt, i, kInputAmp);
    putFloat(block, 0, urms);
    putFloat(block, 1, irms);
    putFloat(block, 2, irmsw);
    putFloat(block, 3, p);
    putFloat(block, 4, irms > 0 ? p / (urms * irms) : 0.0);
    putFloat(block, 5, irmsw > 0 ? p / (urms * irmsw) : 0.0);
    putFloat(block, 6, w.frequency);
    putFloat(block, 7, w.hfCurrent);
    putFloat(block, 8, urms > 0 ? peakOf(u, kInputVolt) / urms : 0.0);
    putFloat(block, 9, irms > 0 ? peakOf(i, kInputAmp) / irms : 0.0);
    return block;
}

// ---- Output ---------------------------------------------------------------------------------

SimModel::OutputWaves SimModel::outputWaves()
{
    OutputWaves w;
    w.frequency = scenario_.outputFrequency * (1.0 + noise(0.001));
    const double ulPeak = scenario_.lampVoltage * std::numbers::sqrt2;
    const double ilPeak = scenario_.lampCurrent * std::numbers::sqrt2;
    const double ifPeak = scenario_.filamentCurrent * std::numbers::sqrt2;
    // The cheap ballast's lamp current carries more distortion (a less sinusoidal resonant
    // tank), so its crest factor is higher and the half-waves differ more.
    const double distortion = scenario_.activePfc ? 0.05 : 0.18;
    for (int k = 0; k < kOutputSamples; ++k) {
        const double theta = kTwoPi * k / kOutputPerCycle + 0.3;
        // A burning lamp is nearly resistive with a flattened voltage; the filament current
        // leads through the starting capacitor; the cathode lead carries both.
        const double ul = ulPeak * (std::sin(theta) + 0.1 * std::sin(3 * theta));
        const double il = ilPeak * (std::sin(theta - 0.08) + distortion * std::sin(3 * theta - 0.2) +
                                    0.3 * distortion * std::sin(2 * theta));
        const double iff = ifPeak * std::sin(theta + 1.2);
        w.ul.push_back(ul + noise(0.3));
        w.il.push_back(il + noise(0.001));
        w.iff.push_back(iff + noise(0.001));
        w.ik.push_back(il + iff + noise(0.001));
    }
    return w;
}

std::vector<uint8_t> SimModel::outputParams(const std::vector<int16_t>& ul, const std::vector<int16_t>& iff,
                                            const std::vector<int16_t>& il, const std::vector<int16_t>& ik,
                                            double frequency)
{
    std::vector<uint8_t> block(64, 0);
    const double ulrms = rmsOf(ul, kOutputVolt), ifrms = rmsOf(iff, kOutputAmp);
    const double ilrms = rmsOf(il, kOutputAmp), ikrms = rmsOf(ik, kOutputAmp);
    const double ulm = peakOf(ul, kOutputVolt), ifm = peakOf(iff, kOutputAmp);
    const double ilm = peakOf(il, kOutputAmp), ikm = peakOf(ik, kOutputAmp);
    double ilPos = 0.0, ilNeg = 0.0;
    for (int16_t c : il) {
        ilPos = std::max(ilPos, c / kOutputAmp);
        ilNeg = std::max(ilNeg, -c / kOutputAmp);
    }
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    putFloat(block, 0, ulrms);
    putFloat(block, 1, ifrms);
    putFloat(block, 2, ilrms);
    putFloat(block, 3, ikrms);
    putFloat(block, 4, ulm);
    putFloat(block, 5, ifm);
    putFloat(block, 6, ilm);
    putFloat(block, 7, ratio(ulrms, ilrms)); // lamp resistance, kept by the record only
    putFloat(block, 8, ikm);
    putFloat(block, 9, ratio(ulm, ulrms));
    putFloat(block, 10, ratio(ifm, ifrms));
    putFloat(block, 11, ratio(ilPos, ilrms));
    putFloat(block, 12, ratio(ilNeg, ilrms));
    putFloat(block, 13, ratio(ikm, ikrms));
    putFloat(block, 14, meanProduct(ul, kOutputVolt, il, kOutputAmp));
    putFloat(block, 15, frequency);
    return block;
}

// ---- Start ----------------------------------------------------------------------------------

SimModel::StartWaves SimModel::startWaves()
{
    StartWaves w;
    const double dt = 5.0 / kStartSamples;
    w.preheatTime = scenario_.preheatTime + noise(0.01);
    const int ignition = std::clamp(int(std::lround(w.preheatTime / dt)), 1, kStartSamples - 10);
    w.preheatTime = ignition * dt;
    const double sq2 = std::numbers::sqrt2;
    const double preheatIf = scenario_.preheatCurrent * 0.48 * sq2; // the envelope is a peak
    const double burnIf = scenario_.filamentCurrent * sq2;
    const double burnIl = scenario_.lampCurrent * sq2;
    for (int k = 0; k < kStartSamples; ++k) {
        double ul, iff, il;
        if (k < ignition) {
            // Preheat: the ballast runs above resonance; the lamp does not conduct yet.
            ul = 180.0 + 20.0 * double(k) / ignition;
            iff = preheatIf;
            il = 0.004;
        } else if (k < ignition + 2) {
            // Ignition: the resonant voltage peaks until the lamp strikes.
            ul = k == ignition ? scenario_.ignitionPeak : 0.6 * scenario_.ignitionPeak;
            iff = preheatIf * 1.2;
            il = burnIl * (k == ignition ? 0.5 : 1.25);
        } else {
            // Burning: the lamp voltage runs up as the lamp warms; the current settles.
            const double t = (k - ignition) * dt;
            ul = scenario_.lampVoltage * sq2 * (0.85 + 0.15 * (1.0 - std::exp(-t / 0.8)));
            il = burnIl * (1.0 + 0.1 * std::exp(-t / 0.5));
            iff = burnIf;
        }
        // The cathode lead carries lamp and filament current about 1.2 rad apart.
        const double ik = std::sqrt(il * il + iff * iff + 2 * il * iff * std::cos(1.2));
        w.ul.push_back(std::abs(ul + noise(1.0)));
        w.iff.push_back(std::abs(iff + noise(0.002)));
        w.il.push_back(std::abs(il + noise(0.002)));
        w.ik.push_back(std::abs(ik + noise(0.002)));
    }
    return w;
}

// ---- Preheat energy ------------------------------------------------------------------------

SimModel::EnergyWaves SimModel::energyWaves()
{
    // The filament is a tungsten resistor whose resistance rises about fivefold as it heats;
    // the ballast drives a preheat current until ignition, then a smaller sustaining current.
    EnergyWaves w;
    const double dt = 0.005, rCold = 2.0, rHot = 10.0, tau = 0.3;
    const double preheat = scenario_.preheatTime;
    for (int k = 0; k < kEnergySamples; ++k) {
        const double t = k * dt;
        const double r = rHot - (rHot - rCold) * std::exp(-t / tau);
        const double i = (t < preheat ? scenario_.preheatCurrent : 0.55) * (1.0 + noise(0.003));
        const double u = i * r;
        w.u.push_back(u);
        w.i.push_back(i);
        w.p.push_back(u * i);
    }
    return w;
}

// ---- Blocks ---------------------------------------------------------------------------------

std::vector<std::vector<uint8_t>> SimModel::measurement(int32_t kind)
{
    const SequenceSpec* seq = sequenceFor(kind);
    std::vector<std::vector<uint8_t>> blocks;
    if (!seq)
        return blocks;

    // Waveforms are made once per run, so the parameter blocks agree with the curves.
    InputWaves in;
    std::vector<int16_t> u, i;
    if (kind == KindInput || kind == KindPhase || kind == KindComprehensive) {
        in = inputWaves();
        u = quantise(in.u, kInputVolt);
        i = quantise(in.i, kInputAmp);
    }
    OutputWaves out;
    std::vector<int16_t> ul, iff, il, ik;
    if (kind == KindOutput || kind == KindComprehensive) {
        out = outputWaves();
        ul = quantise(out.ul, kOutputVolt);
        iff = quantise(out.iff, kOutputAmp);
        il = quantise(out.il, kOutputAmp);
        ik = quantise(out.ik, kOutputAmp);
    }
    StartWaves st;
    std::vector<int16_t> sul, sif, sil, sik;
    if (kind == KindStart) {
        st = startWaves();
        sul = quantise(st.ul, kStartVolt);
        sif = quantise(st.iff, kStartAmp);
        sil = quantise(st.il, kStartAmp);
        sik = quantise(st.ik, kStartAmp);
    }
    EnergyWaves en;
    if (kind == KindEnergy)
        en = energyWaves();

    for (const ReplyStep& step : seq->steps) {
        std::vector<uint8_t> block;
        switch (step.block) {
        case Block::InputU: block = sampleBlock(u, step.bytes); break;
        case Block::InputI: block = sampleBlock(i, step.bytes); break;
        case Block::InputParams: block = inputParams(in, u, i); break;
        case Block::OutputParams: block = outputParams(ul, iff, il, ik, out.frequency); break;
        case Block::CombinedParams: {
            block = inputParams(in, u, i);
            const std::vector<uint8_t> o = outputParams(ul, iff, il, ik, out.frequency);
            block.insert(block.end(), o.begin(), o.end());
            break;
        }
        case Block::OutUl: block = sampleBlock(ul, step.bytes); break;
        case Block::OutIf: block = sampleBlock(iff, step.bytes); break;
        case Block::OutIl: block = sampleBlock(il, step.bytes); break;
        case Block::OutIk: block = sampleBlock(ik, step.bytes); break;
        case Block::Start0: block = sampleBlock(sul, step.bytes); break;
        case Block::Start1: block = sampleBlock(sif, step.bytes); break;
        case Block::Start2: block = sampleBlock(sil, step.bytes); break;
        case Block::Start3: block = sampleBlock(sik, step.bytes); break;
        case Block::StartTail: {
            block.assign(size_t(step.bytes), 0);
            const std::vector<int16_t>* env[4] = {&sul, &sif, &sil, &sik};
            const double scale[4] = {kStartVolt, kStartAmp, kStartAmp, kStartAmp};
            for (int s = 0; s < 4; ++s) {
                const std::vector<int16_t>& e = *env[s];
                const auto top = std::max_element(
                    e.begin(), e.end(), [](int16_t a, int16_t b) { return std::abs(int(a)) < std::abs(int(b)); });
                putFloat(block, s, std::abs(*top) / scale[s]);
                putFloat(block, 5 + s, double(top - e.begin()) * 5.0 / kStartSamples);
            }
            putFloat(block, 4, st.preheatTime);
            block[36] = 0; // the instrument's channels are in their usual order
            break;
        }
        case Block::EnergyAck: continue; // sent by itself, not part of the capture
        case Block::EnergyU: block = sampleBlock(quantise(en.u, kCalibU), step.bytes); break;
        case Block::EnergyI: block = sampleBlock(quantise(en.i, kCalibI), step.bytes); break;
        case Block::EnergyP: block = sampleBlock(quantise(en.p, kCalibP), step.bytes); break;
        case Block::EnergyCalib: {
            block.assign(size_t(step.bytes), 0);
            const double coeff[3] = {kCalibU, kCalibI, kCalibP};
            for (int c = 0; c < 3; ++c) {
                // value = w0 + w1 * 0.01 + w2 * 0.0001
                const long hundredths = std::lround(coeff[c] * 100.0);
                encodeSample(static_cast<int16_t>(hundredths / 100), &block[size_t{6} * c]);
                encodeSample(static_cast<int16_t>(hundredths % 100), &block[size_t{6} * c + 2]);
                encodeSample(0, &block[size_t{6} * c + 4]);
            }
            break;
        }
        }
        block.resize(size_t(step.bytes), 0);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

} // namespace korvex
