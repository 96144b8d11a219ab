// The simulated instrument: blocks sized by the step tables, physically plausible figures
// that agree with its own curves, the byte protocol, pacing and injected faults.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cmath>
#include <numbers>

#include "kinds/Evaluate.h"
#include "link/Frames.h"
#include "link/MemoryLinkPort.h"
#include "link/sim/SimInstrument.h"
#include "link/sim/SimModel.h"

namespace korvex::test {
namespace {

float word(const std::vector<uint8_t>& block, int n)
{
    return decodeInstrumentFloat(&block[size_t(4 * n)]);
}

std::vector<double> samples(const std::vector<uint8_t>& block, double scale)
{
    std::vector<double> out;
    for (size_t k = 0; k + 1 < block.size(); k += 2)
        out.push_back(decodeSample(&block[k]) / scale);
    return out;
}

double rms(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x * x;
    return std::sqrt(s / double(v.size()));
}

/// THD of a period of samples from a plain DFT, orders 2..39 over order 1, in percent.
double thd(const std::vector<double>& v)
{
    auto amp = [&](int n) {
        double re = 0, im = 0;
        for (size_t k = 0; k < v.size(); ++k) {
            const double a = 2 * std::numbers::pi * double(n) * double(k) / double(v.size());
            re += v[k] * std::cos(a);
            im -= v[k] * std::sin(a);
        }
        return std::hypot(re, im);
    };
    double h = 0;
    for (int n = 2; n < 40; ++n)
        h += amp(n) * amp(n);
    return std::sqrt(h) / amp(1) * 100.0;
}

TEST(SimModelBlocks, EveryKindMatchesItsStepTable)
{
    SimModel model;
    for (int32_t kind = KindInput; kind <= KindEnergy; ++kind) {
        const auto blocks = model.measurement(kind);
        const SequenceSpec* seq = sequenceFor(kind);
        size_t expectedCount = 0;
        int total = 0;
        for (const ReplyStep& s : seq->steps) {
            if (s.block == Block::EnergyAck)
                continue;
            ASSERT_LT(expectedCount, blocks.size());
            EXPECT_EQ(int(blocks[expectedCount].size()), s.bytes) << "kind " << kind;
            total += s.bytes;
            ++expectedCount;
        }
        EXPECT_EQ(blocks.size(), expectedCount);
        EXPECT_EQ(total + (kind == KindEnergy ? 1 : 0), replyBytesOf(kind));
    }
    EXPECT_TRUE(model.measurement(0).empty());
}

TEST(SimModelBlocks, SameSeedSameBytesAndRunsDiffer)
{
    SimModel a(QStringLiteral("pfc"), 3), b(QStringLiteral("pfc"), 3);
    const auto first = a.measurement(KindInput);
    EXPECT_EQ(first, b.measurement(KindInput));
    EXPECT_NE(first, a.measurement(KindInput)); // seeded noise moves on
}

TEST(SimModelInput, PfcBallastDrawsASinusoidalCurrent)
{
    SimModel model(QStringLiteral("pfc"));
    const auto blocks = model.measurement(KindInput);
    const std::vector<uint8_t>& p = blocks[2];
    EXPECT_NEAR(word(p, 0), 230.0, 3.0); // Urms
    EXPECT_NEAR(word(p, 3), 60.0, 4.0);  // Pin
    EXPECT_GT(word(p, 4), 0.98);         // PF
    EXPECT_NEAR(word(p, 6), 50.0, 0.1);  // Fin
    EXPECT_LT(thd(samples(blocks[1], SimModel::kInputAmp)), 10.0);
    EXPECT_LT(thd(samples(blocks[0], SimModel::kInputVolt)), 5.0);
    // The figures agree with the curves sent before them.
    EXPECT_NEAR(word(p, 1), rms(samples(blocks[1], SimModel::kInputAmp)), 1e-4);
    EXPECT_NEAR(word(p, 0), rms(samples(blocks[0], SimModel::kInputVolt)), 1e-3);
    EXPECT_GT(word(p, 2), word(p, 1)); // wide band holds the switching ripple too
}

TEST(SimModelInput, CheapBallastDrawsNarrowPulses)
{
    SimModel model(QStringLiteral("cheap"));
    const auto blocks = model.measurement(KindInput);
    const std::vector<uint8_t>& p = blocks[2];
    EXPECT_GT(word(p, 4), 0.5);
    EXPECT_LT(word(p, 4), 0.7);
    EXPECT_GT(word(p, 9), 2.2); // current crest factor of pulses
    EXPECT_GT(thd(samples(blocks[1], SimModel::kInputAmp)), 80.0);
    // Current flows only near the voltage peaks: most samples are zero.
    int idle = 0;
    for (double i : samples(blocks[1], SimModel::kInputAmp))
        idle += std::abs(i) < 0.01;
    EXPECT_GT(idle, 128);
}

TEST(SimModelOutput, LampRunsAtHighFrequencyAroundHundredVolts)
{
    SimModel model;
    const auto blocks = model.measurement(KindOutput);
    const std::vector<uint8_t>& p = blocks[0];
    EXPECT_NEAR(word(p, 0), 100.0, 8.0); // Ulrms
    EXPECT_NEAR(word(p, 2), 0.30, 0.03); // Ilrms
    EXPECT_NEAR(word(p, 15), 45.0, 1.0); // Fout, kHz
    EXPECT_NEAR(word(p, 14), 30.0, 4.0); // Pout
    EXPECT_NEAR(word(p, 0), rms(samples(blocks[1], SimModel::kOutputVolt)), 1e-3);
    EXPECT_NEAR(word(p, 2), rms(samples(blocks[3], SimModel::kOutputAmp)), 1e-4);
}

TEST(SimModelStart, PreheatIgnitionAndBurningLamp)
{
    SimModel model;
    const auto blocks = model.measurement(KindStart);
    const std::vector<uint8_t>& tail = blocks[4];
    EXPECT_GT(word(tail, 0), 400.0);                 // ignition peak
    EXPECT_NEAR(word(tail, 4), 1.5, 0.1);            // preheat time
    EXPECT_NEAR(word(tail, 5), word(tail, 4), 0.05); // voltage peak at ignition
    const auto il = samples(blocks[2], SimModel::kStartAmp);
    EXPECT_LT(il[10], 0.05);  // lamp dark while preheating
    EXPECT_GT(il[250], 0.35); // burning at 4 s
    EXPECT_EQ(tail[36], 0);
}

TEST(SimModelEnergy, PreheatEnergyLiesBetweenTheDefaultLimits)
{
    for (const QString& name : SimModel::scenarioNames()) {
        SimModel model(name);
        const auto blocks = model.measurement(KindEnergy);
        TestRecord r;
        resetAllResults(r);
        const ReplyStep* steps = sequenceFor(KindEnergy)->steps.data();
        for (int k = 0; k < 4; ++k)
            storeBlock(r, steps[k + 1], blocks[size_t(k)].data());
        evaluateKind(KindEnergy, r);
        const double emin = 7.0 + 9.0 * r.preheatTime, emax = 1.5 * emin;
        EXPECT_GT(r.preheatTime, 0.5) << name.toStdString();
        EXPECT_GT(r.preheatEnergy, emin) << name.toStdString();
        EXPECT_LT(r.preheatEnergy, emax) << name.toStdString();
    }
}

// ---- Protocol -------------------------------------------------------------------------------

struct Wire {
    std::vector<uint8_t> bytes;
    int hangUps = 0;
    void attach(SimInstrument& sim)
    {
        sim.output = [this](const uint8_t* d, size_t n) { bytes.insert(bytes.end(), d, d + n); };
        sim.hangUp = [this] { ++hangUps; };
    }
};

TEST(SimProtocol, AnswersHandshakeCommandsAndNext)
{
    SimInstrument sim;
    Wire w;
    w.attach(sim);
    sim.receive('?');
    ASSERT_EQ(w.bytes.size(), 1u);
    sim.receive('0');
    EXPECT_EQ(w.bytes.size(), 1u + 512);
    sim.receive('!');
    sim.receive('!');
    EXPECT_EQ(w.bytes.size(), 1u + 512 + 512 + 40);
    sim.receive('!'); // nothing left of this run
    EXPECT_EQ(w.bytes.size(), 1u + 512 + 512 + 40);
    sim.receive('x'); // not a command
    EXPECT_EQ(w.bytes.size(), 1u + 512 + 512 + 40);
}

TEST(SimProtocol, EnergyAcknowledgesThenSendsTheFirstCurveByItself)
{
    SimInstrument sim;
    Wire w;
    w.attach(sim);
    sim.receive('5');
    ASSERT_EQ(w.bytes.size(), 1u + 2000);
    EXPECT_EQ(w.bytes[0], '!');
    sim.receive('!');
    sim.receive('!');
    sim.receive('!');
    EXPECT_EQ(w.bytes.size(), size_t(replyBytesOf(KindEnergy)));
}

TEST(SimProtocol, FaultsParseAndRejectNonsense)
{
    SimFault f;
    EXPECT_TRUE(SimFault::parse(QStringLiteral("stall:100:1"), f));
    EXPECT_EQ(f.kind, SimFault::Stall);
    EXPECT_EQ(f.bytes, 100);
    EXPECT_EQ(f.block, 1);
    EXPECT_TRUE(SimFault::parse(QStringLiteral("disconnect:5"), f));
    EXPECT_EQ(f.kind, SimFault::Disconnect);
    EXPECT_EQ(f.block, 0);
    EXPECT_FALSE(SimFault::parse(QStringLiteral("stall"), f));
    EXPECT_FALSE(SimFault::parse(QStringLiteral("stall:-3"), f));
    EXPECT_FALSE(SimFault::parse(QStringLiteral("surplus:x"), f));
    EXPECT_FALSE(SimFault::parse(QStringLiteral("melt"), f));
    EXPECT_EQ(f.kind, SimFault::Disconnect); // unchanged by a failed parse
}

TEST(SimProtocol, StallStopsMidBlockOnceThenRecoversAfterAHandshake)
{
    SimInstrument sim;
    SimFault f;
    ASSERT_TRUE(SimFault::parse(QStringLiteral("stall:100:1"), f));
    sim.setFault(f);
    Wire w;
    w.attach(sim);
    sim.receive('0');
    sim.receive('!');
    EXPECT_EQ(w.bytes.size(), 512u + 100);
    sim.receive('!');
    EXPECT_EQ(w.bytes.size(), 512u + 100);
    w.bytes.clear();
    sim.receive('?');
    sim.receive('0');
    sim.receive('!');
    sim.receive('!');
    EXPECT_EQ(w.bytes.size(), 1u + 512 + 512 + 40);
}

TEST(SimProtocol, SilentBadAckSurplusAndDisconnect)
{
    {
        SimInstrument sim;
        sim.setFault({SimFault::Silent, 0, 0});
        Wire w;
        w.attach(sim);
        sim.receive('?');
        sim.receive('0');
        EXPECT_TRUE(w.bytes.empty());
    }
    {
        SimInstrument sim;
        sim.setFault({SimFault::BadAck, 0, 0});
        Wire w;
        w.attach(sim);
        sim.receive('5');
        ASSERT_EQ(w.bytes.size(), 1u);
        EXPECT_NE(w.bytes[0], '!');
        sim.receive('5'); // only the first acknowledgement is wrong
        EXPECT_EQ(w.bytes[1], '!');
    }
    {
        SimInstrument sim;
        sim.setFault({SimFault::Surplus, 9, 0});
        Wire w;
        w.attach(sim);
        sim.receive('1');
        for (int k = 0; k < 4; ++k)
            sim.receive('!');
        EXPECT_EQ(w.bytes.size(), size_t(replyBytesOf(KindOutput)) + 9);
    }
    {
        SimInstrument sim;
        sim.setFault({SimFault::Disconnect, 30, 0});
        Wire w;
        w.attach(sim);
        sim.receive('3');
        EXPECT_EQ(w.bytes.size(), 30u);
        EXPECT_EQ(w.hangUps, 1);
    }
}

TEST(SimProtocol, PacedBytesTrickleAtTheLineRate)
{
    SimInstrument sim(QStringLiteral("pfc"), true);
    Wire w;
    w.attach(sim);
    sim.receive('0');
    EXPECT_LT(w.bytes.size(), 512u); // not all at once
    QElapsedTimer t;
    t.start();
    while (w.bytes.size() < 512 && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(w.bytes.size(), 512u);
    EXPECT_EQ(sim.queuedBytes(), 0u);
}

TEST(SimProtocol, PacedBytesComeWhenThePortsReaderWantsThem)
{
    // Told what the port waits for, the instrument hands a block over when the line has
    // carried it, in one piece, and a lower wish is served as soon as its bytes are due.
    SimInstrument sim(QStringLiteral("pfc"), true);
    MemoryLinkPort port;
    ASSERT_TRUE(port.open());
    int handOvers = 0;
    int arrivals = 0;
    sim.output = [&](const uint8_t* d, size_t n) {
        ++handOvers;
        port.deliver(d, n);
    };
    sim.wanted = [&port] { return port.bytesWanted(); };
    port.onWakeLevelChanged = [&sim] { sim.wantChanged(); };
    QObject::connect(&port, &LinkPort::dataArrived, [&arrivals] { ++arrivals; });
    auto runUntil = [](const std::function<bool()>& done, int msecs) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < msecs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };

    port.setWakeLevel(512);
    QElapsedTimer t;
    t.start();
    sim.receive('0');
    runUntil([&] { return port.bytesWaiting() >= 512; }, 3000);
    EXPECT_EQ(port.bytesWaiting(), 512);
    EXPECT_GE(t.elapsed(), 250); // 512 bytes take 267 ms at 19200 baud
    EXPECT_LE(handOvers, 2);
    EXPECT_EQ(arrivals, 1);

    std::vector<uint8_t> first(512);
    ASSERT_EQ(port.read(first.data(), 512), 512);
    sim.receive('!'); // the second block, while the reader still waits for all of it
    runUntil([] { return false; }, 60);
    EXPECT_EQ(port.bytesWaiting(), 0);
    port.setWakeLevel(0); // now any byte
    runUntil([&] { return port.bytesWaiting() > 0; }, 40);
    EXPECT_GT(port.bytesWaiting(), 0);
    EXPECT_LT(port.bytesWaiting(), 512);
}

TEST(SimProtocol, PacedStartWaitsForTheLampAndAHandshakeCancelsIt)
{
    SimInstrument sim(QStringLiteral("pfc"), true);
    sim.setLampWait(30);
    Wire w;
    w.attach(sim);
    sim.receive('3');
    sim.receive('?'); // the run is abandoned before the lamp comes on
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(w.bytes.size(), 1u);
}

} // namespace
} // namespace korvex::test
