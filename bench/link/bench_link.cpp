// Benchmarks of the link: the CPU a waiting start test costs, the delay from the last byte of
// a block to its step, and one unpaced input run through the in-memory simulated instrument.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <ctime>

#include "kinds/Evaluate.h"
#include "link/Controller.h"
#include "link/MemoryLinkPort.h"
#include "link/sim/SimPorts.h"

namespace {

using korvex::Controller;

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A start test waiting for a lamp that is never switched: the reader must sleep on the port.
void BM_StartTestWaitCpu(benchmark::State& state)
{
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        Controller c(korvex::evaluateKind);
        const auto instrument = korvex::makeSimInstrument(QStringLiteral("pfc"), true);
        instrument->setLampWait(1000 * 3600);
        c.setPortSource(korvex::simulatedPorts(instrument));
        c.openPort();
        int progress = -1;
        QObject::connect(&c, &Controller::progressChanged, [&progress](int percent) { progress = percent; });
        c.startTest();
        const double cpu0 = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec(); // sleeps unless the controller, the reader or the simulator has work
        const double cpu = processCpuSeconds() - cpu0;
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / (double(wall.elapsed()) / 1000.0);
        state.counters["still_waiting"] = c.testRunning() && progress == 0 ? 1 : 0; // command sent, no block
        c.shutdown();
    }
}
BENCHMARK(BM_StartTestWaitCpu)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);

// From the moment the last byte of a block arrives to the end of the step it completes.
void BM_LastByteToStep(benchmark::State& state)
{
    Controller c(korvex::evaluateKind);
    korvex::MemoryLinkPort* port = nullptr;
    int nexts = 0;
    c.setPortSource(korvex::PortSource([&port, &nexts](const QString& name) -> std::unique_ptr<korvex::LinkPort> {
        auto p = std::make_unique<korvex::MemoryLinkPort>(name);
        port = p.get();
        // Answers the handshake and the later "!"; the first block is delivered by hand.
        p->onWrite = [&port, &nexts](uint8_t b) {
            if (b == '?')
                port->deliver(QByteArray(1, 'K'));
            else if (b == '!')
                port->deliver(QByteArray(++nexts == 1 ? 512 : 40, '\x10'));
        };
        return p;
    }));
    c.openPort();
    int completed = 0;
    QObject::connect(&c, &Controller::runCompleted, [&completed](int32_t) { ++completed; });
    const QByteArray block(512, '\x10');
    for (auto _ : state) {
        nexts = 0;
        const int before = completed;
        port->clearWritten();
        c.singleRun(korvex::KindInput);
        while (!port->written().endsWith('0')) // the command is out: the voltage block awaited
            QCoreApplication::processEvents();
        port->deliver(block.left(511));
        QCoreApplication::processEvents();
        const auto t0 = std::chrono::steady_clock::now();
        port->deliver(block.right(1));
        while (!port->written().endsWith('!')) // its step sent the next command
            QCoreApplication::processEvents();
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        while (completed == before)
            QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_LastByteToStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One whole input run (handshake, three blocks, evaluation) on the unpaced simulator.
void BM_UnpacedInputRun(benchmark::State& state)
{
    Controller c(korvex::evaluateKind);
    c.setPortSource(korvex::simulatedPorts(korvex::makeSimInstrument(QStringLiteral("pfc"), false)));
    c.openPort();
    int completed = 0;
    QObject::connect(&c, &Controller::runCompleted, [&completed](int32_t) { ++completed; });
    for (auto _ : state) {
        const int before = completed;
        c.singleRun(korvex::KindInput);
        while (completed == before)
            QCoreApplication::processEvents();
    }
    state.counters["runs"] = completed;
}
BENCHMARK(BM_UnpacedInputRun)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
