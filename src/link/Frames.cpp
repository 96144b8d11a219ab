// Instrument value encodings and the reply-block table of the six command sequences.
#include "link/Frames.h"

#include <algorithm>
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

// Where each block goes, and how many bytes that destination takes.
using W = WorkingFields;
constexpr size_t kStartRegion = sizeof(W::rawStart) / 4; // one of the four start curves
constexpr size_t kSampleBytes = 2;

constexpr size_t capacity(Block block)
{
    switch (block) {
    case Block::InputU: return sizeof(W::rawU);
    case Block::InputI: return sizeof(W::rawI);
    case Block::InputParams: return sizeof(W::paramBlock);
    case Block::OutputParams: return sizeof(W::outParamBlock);
    case Block::CombinedParams: return sizeof(W::paramBlock) + sizeof(W::outParamBlock);
    case Block::OutUl: return sizeof(W::rawUl);
    case Block::OutIf: return sizeof(W::rawIf);
    case Block::OutIl: return sizeof(W::rawIl);
    case Block::OutIk: return sizeof(W::rawIk);
    case Block::Start0:
    case Block::Start1:
    case Block::Start2:
    case Block::Start3: return kStartRegion;
    case Block::StartTail: return sizeof(W::startBlock) + 1; // and the swap flag
    case Block::EnergyAck: return 1;
    case Block::EnergyU:
    case Block::EnergyI:
    case Block::EnergyP: return kEnergySamples * kSampleBytes;
    case Block::EnergyCalib: return sizeof(W::calibBlock);
    }
    return 0;
}

// The blocks that must fill their destination exactly: the combined block is split at the end
// of the input words, and the start tail's last byte is the swap flag.
constexpr bool exactFit(Block block)
{
    return block == Block::CombinedParams || block == Block::StartTail;
}

constexpr bool fitsDestinations(std::span<const ReplyStep> steps)
{
    for (const ReplyStep& step : steps) {
        const size_t n = static_cast<size_t>(step.bytes);
        if (n == 0 || n > capacity(step.block) || (exactFit(step.block) && n != capacity(step.block)) ||
            n > static_cast<size_t>(kLargestReplyBlock))
            return false;
    }
    return true;
}

constexpr int largestBlock(std::span<const ReplyStep> steps)
{
    int largest = 0;
    for (const ReplyStep& step : steps)
        largest = std::max(largest, step.bytes);
    return largest;
}

static_assert(fitsDestinations(kInputSteps) && fitsDestinations(kOutputSteps) && fitsDestinations(kCompSteps) &&
                  fitsDestinations(kStartSteps) && fitsDestinations(kEnergySteps),
              "a reply block does not fit its place in the record");
static_assert(std::max({largestBlock(kInputSteps), largestBlock(kOutputSteps), largestBlock(kCompSteps),
                        largestBlock(kStartSteps), largestBlock(kEnergySteps)}) == kLargestReplyBlock,
              "kLargestReplyBlock is not the largest block of the step tables");

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

    const size_t n = static_cast<size_t>(step.bytes);
    switch (step.block) {
    case Block::InputU: std::memcpy(w.rawU, d, n); break;
    case Block::InputI: std::memcpy(w.rawI, d, n); break;
    case Block::InputParams: std::memcpy(w.paramBlock, d, n); break;
    case Block::OutputParams: std::memcpy(w.outParamBlock, d, n); break;
    case Block::CombinedParams:
        std::memcpy(w.paramBlock, d, sizeof w.paramBlock);
        std::memcpy(w.outParamBlock, d + sizeof w.paramBlock, n - sizeof w.paramBlock);
        break;
    case Block::OutUl: std::memcpy(w.rawUl, d, n); break;
    case Block::OutIf: std::memcpy(w.rawIf, d, n); break;
    case Block::OutIl: std::memcpy(w.rawIl, d, n); break;
    case Block::OutIk: std::memcpy(w.rawIk, d, n); break;
    case Block::Start0: std::memcpy(w.rawStart, d, n); break;
    case Block::Start1: std::memcpy(w.rawStart + kStartRegion, d, n); break;
    case Block::Start2: std::memcpy(w.rawStart + 2 * kStartRegion, d, n); break;
    case Block::Start3: std::memcpy(w.rawStart + 3 * kStartRegion, d, n); break;
    case Block::StartTail:
        std::memcpy(w.startBlock, d, n - 1);
        w.startSwapFlag = d[n - 1];
        break;
    case Block::EnergyAck: break;
    case Block::EnergyU: copySamplesAsFloats(r.waveFilamentU, d, step.bytes / int(kSampleBytes)); break;
    case Block::EnergyI: copySamplesAsFloats(r.waveFilamentI, d, step.bytes / int(kSampleBytes)); break;
    case Block::EnergyP: copySamplesAsFloats(r.waveEnergy, d, step.bytes / int(kSampleBytes)); break;
    case Block::EnergyCalib: std::memcpy(w.calibBlock, d, n); break;
    }
}

} // namespace korvex
