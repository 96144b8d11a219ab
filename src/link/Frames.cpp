// Instrument value encodings and the reply-block table of the six command sequences.
#include "link/Frames.h"

#include <cmath>
#include <cstring>

namespace korvex {

float decodeInstrumentFloat(const uint8_t* b)
{
    if (b[0] == 0)
        return 0.0f;
    const unsigned e = static_cast<unsigned>(b[0]) - 1u; // 0..254
    uint8_t ieee[4];
    ieee[0] = b[1];
    ieee[1] = b[2];
    ieee[2] = static_cast<uint8_t>((b[3] & 0x7F) | ((e & 1u) << 7));
    ieee[3] = static_cast<uint8_t>((e >> 1) | (b[3] & 0x80));
    const uint32_t bits = static_cast<uint32_t>(ieee[0]) | (static_cast<uint32_t>(ieee[1]) << 8) |
                          (static_cast<uint32_t>(ieee[2]) << 16) | (static_cast<uint32_t>(ieee[3]) << 24);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void encodeInstrumentFloat(float value, uint8_t* out)
{
    if (!std::isfinite(value)) {
        std::memset(out, 0, 4);
        return;
    }
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t sign = bits >> 31;
    const uint32_t exponent = (bits >> 23) & 0xFF; // 0..254 for finite values
    const uint32_t fraction = bits & 0x7FFFFF;
    out[0] = static_cast<uint8_t>(exponent + 1);
    out[1] = static_cast<uint8_t>(fraction & 0xFF);
    out[2] = static_cast<uint8_t>((fraction >> 8) & 0xFF);
    out[3] = static_cast<uint8_t>(((fraction >> 16) & 0x7F) | (sign << 7));
}

namespace {

using C = CountField;

constexpr ReplyStep kInputSteps[] = {
    {512, Block::InputU, 45, C::SampleCount, 256},
    {512, Block::InputI, 90, C::None, 0},
    {40, Block::InputParams, 100, C::None, 0},
};

constexpr ReplyStep kOutputSteps[] = {
    {64, Block::OutputParams, 20, C::SampleCount, 64},
    {300, Block::OutUl, 40, C::SampleCount, 150},
    {300, Block::OutIf, 60, C::None, 0},
    {300, Block::OutIl, 80, C::None, 0},
    {300, Block::OutIk, 100, C::None, 0},
};

constexpr ReplyStep kCompSteps[] = {
    {512, Block::InputU, 10, C::SampleCount, 256}, {512, Block::InputI, 20, C::None, 0},
    {104, Block::CombinedParams, 40, C::None, 0},  {300, Block::OutUl, 54, C::OutSampleCount, 150},
    {300, Block::OutIf, 68, C::None, 0},           {300, Block::OutIl, 84, C::None, 0},
    {300, Block::OutIk, 100, C::None, 0},
};

constexpr ReplyStep kStartSteps[] = {
    {600, Block::Start0, 25, C::SampleCount, 300}, {600, Block::Start1, 50, C::None, 0},
    {600, Block::Start2, 75, C::None, 0},          {600, Block::Start3, 90, C::None, 0},
    {37, Block::StartTail, 100, C::None, 0},
};

constexpr ReplyStep kEnergySteps[] = {
    {1, Block::EnergyAck, 10, C::None, 0},     {2000, Block::EnergyU, 30, C::SampleCount, 1000},
    {2000, Block::EnergyI, 55, C::None, 0},    {2000, Block::EnergyP, 80, C::None, 0},
    {18, Block::EnergyCalib, 100, C::None, 0},
};

const SequenceSpec kSequences[6] = {
    {KindInput, "输入性能测试：", kCmdInput, true, true, kInputSteps},
    {KindPhase, "相位角性能测试：", kCmdInput, true, true, kInputSteps},
    {KindOutput, "输出性能测试：", kCmdOutput, true, true, kOutputSteps},
    {KindComprehensive, "综合性能测试：", kCmdComprehensive, true, true, kCompSteps},
    {KindStart, "启动性能测试：", kCmdStart, false, false, kStartSteps},
    {KindEnergy, "灯丝预热能量测试：", kCmdEnergy, false, false, kEnergySteps},
};

void copySamplesAsFloats(float* dst, const uint8_t* src, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = static_cast<float>(sampleAt(src, i));
}

} // namespace

const SequenceSpec* sequenceFor(int32_t kind)
{
    return isTestKind(kind) ? &kSequences[kind - 1] : nullptr;
}

int replyBytesOf(int32_t kind)
{
    const SequenceSpec* s = sequenceFor(kind);
    if (!s)
        return 0;
    int total = 0;
    for (const ReplyStep& step : s->steps)
        total += step.bytes;
    return total;
}

void storeBlock(TestRecord& r, const ReplyStep& step, const uint8_t* d)
{
    WorkingFields& w = r.work;
    if (step.count == CountField::SampleCount)
        w.sampleCount = step.countValue;
    else if (step.count == CountField::OutSampleCount)
        w.outSampleCount = step.countValue;

    switch (step.block) {
    case Block::InputU: std::memcpy(w.rawU, d, 512); break;
    case Block::InputI: std::memcpy(w.rawI, d, 512); break;
    case Block::InputParams: std::memcpy(w.paramBlock, d, 40); break;
    case Block::OutputParams: std::memcpy(w.outParamBlock, d, 64); break;
    case Block::CombinedParams:
        std::memcpy(w.paramBlock, d, 40);
        std::memcpy(w.outParamBlock, d + 40, 64);
        break;
    case Block::OutUl: std::memcpy(w.rawUl, d, 300); break;
    case Block::OutIf: std::memcpy(w.rawIf, d, 300); break;
    case Block::OutIl: std::memcpy(w.rawIl, d, 300); break;
    case Block::OutIk: std::memcpy(w.rawIk, d, 300); break;
    case Block::Start0: std::memcpy(w.rawStart, d, 600); break;
    case Block::Start1: std::memcpy(w.rawStart + 600, d, 600); break;
    case Block::Start2: std::memcpy(w.rawStart + 1200, d, 600); break;
    case Block::Start3: std::memcpy(w.rawStart + 1800, d, 600); break;
    case Block::StartTail:
        std::memcpy(w.startBlock, d, 36);
        w.startSwapFlag = d[36];
        break;
    case Block::EnergyAck: break;
    case Block::EnergyU: copySamplesAsFloats(r.waveFilamentU, d, kEnergySamples); break;
    case Block::EnergyI: copySamplesAsFloats(r.waveFilamentI, d, kEnergySamples); break;
    case Block::EnergyP: copySamplesAsFloats(r.waveEnergy, d, kEnergySamples); break;
    case Block::EnergyCalib: std::memcpy(w.calibBlock, d, 18); break;
    }
}

} // namespace korvex
