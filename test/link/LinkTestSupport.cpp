// Test helpers for the link.
#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <fcntl.h>
#include <unistd.h>

#include "kinds/Evaluate.h"

#include "link/Frames.h"
#include "link/sim/SimModel.h"

namespace korvex::test {

void ScriptedInstrument::attach(MemoryLinkPort* p)
{
    port = p;
    p->onWrite = [this](uint8_t b) {
        if (b == kCmdHandshake) {
            if (answerHandshake)
                port->deliver(QByteArray(1, 'K'));
            return;
        }
        if (!autoReply)
            return;
        if (b == kCmdEnergy) {
            next = 0;
            port->deliver(QByteArray(1, char(energyAck)));
            if (energyAck == '!')
                sendNext();
        } else if (b == kCmdNext) {
            sendNext();
        } else {
            next = 0;
            sendNext();
        }
    };
}

void ScriptedInstrument::sendNext(int n)
{
    if (next >= blocks.size())
        return;
    const QByteArray& block = blocks[next++];
    if (n < 0 || n >= block.size()) {
        port->deliver(block);
    } else {
        port->deliver(block.left(n));
        pendingRest = block.mid(n);
    }
}

LinkFixture::LinkFixture()
{
    controller = std::make_unique<Controller>(evaluateKind, clock);
    controller->setPortSource(PortSource([this](const QString& device) -> std::unique_ptr<LinkPort> {
        auto p = std::make_unique<MemoryLinkPort>(device);
        port = p.get();
        ++portsMade;
        instrument.attach(port);
        return p;
    }));
    Controller* c = controller.get();
    QObject::connect(c, &Controller::statusTextChanged, [this](const QString& t) { statusTexts << t; });
    QObject::connect(c, &Controller::progressChanged, [this](int v) { progressValues.push_back(v); });
    QObject::connect(c, &Controller::alarmVisibilityChanged, [this](bool s) { alarmChanges.push_back(s); });
    QObject::connect(c, &Controller::lockChanged, [this](bool s) { lockChanges.push_back(s); });
    QObject::connect(c, &Controller::messageRequested,
                     [this](const QString& t, const QString& cap) { messages << t + QLatin1Char('|') + cap; });
    QObject::connect(c, &Controller::linkFailed, [this](const QString& r) { failures << r; });
    QObject::connect(c, &Controller::closeWindowRequested, [this] { ++closeRequests; });
    QObject::connect(c, &Controller::startPromptRequested, [this] { ++promptRequests; });
    QObject::connect(c, &Controller::repaintRequested, [this] { ++steps; });
    QObject::connect(c, &Controller::runCompleted, [this](int32_t k) { completed.push_back(k); });
    controller->openPort();
}

LinkFixture::~LinkFixture()
{
    // Drop events still queued for the controller before it goes.
    QCoreApplication::removePostedEvents(controller.get());
}

void LinkFixture::run(int32_t kind, bool replies, bool single)
{
    instrument.blocks = simBlocks(kind);
    instrument.autoReply = replies;
    if (single)
        controller->singleRun(kind);
    else
        giveCommand(*controller, kind);
    pump();
}

void LinkFixture::passTime(uint32_t ms)
{
    clock.advance(ms);
    controller->checkReader();
    pump();
}

int LinkFixture::pump()
{
    int rounds = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        const int before = steps;
        QCoreApplication::sendPostedEvents(controller.get(), Controller::kStepEvent);
        if (steps == before)
            break;
        ++rounds;
    }
    return rounds;
}

bool LinkFixture::restartsWithin(int ms)
{
    const qsizetype before = written().count('?');
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (written().count('?') > before)
            return true;
    }
    return false;
}

bool LinkFixture::readerIdle()
{
    const QByteArray sent = written();
    const int before = steps;
    const qsizetype failed = failures.size();
    const size_t done = completed.size();
    passTime(60000);
    if (port && port->isOpen())
        port->deliver(QByteArray(2000, '\x11'));
    pump();
    QCoreApplication::processEvents();
    pump();
    return written() == sent && steps == before && failures.size() == failed && completed.size() == done;
}

std::vector<QByteArray> simBlocks(int32_t kind)
{
    SimModel model(QStringLiteral("pfc"), 7);
    std::vector<QByteArray> out;
    for (const std::vector<uint8_t>& b : model.measurement(kind))
        out.emplace_back(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    return out;
}

void giveCommand(Controller& c, int32_t kind)
{
    switch (kind) {
    case KindInput: c.inputTest(); break;
    case KindPhase: c.phaseTest(); break;
    case KindOutput: c.outputTest(); break;
    case KindComprehensive: c.compTest(); break;
    case KindStart: c.startTest(); break;
    case KindEnergy: c.energyTest(); break;
    default: break;
    }
}

Pty::Pty()
{
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
        path = QString::fromLocal8Bit(ptsname(master));
}

void Pty::closeMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

} // namespace korvex::test
