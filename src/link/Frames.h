// What travels on the serial line: command bytes, the instrument's value encodings, and the
// reply blocks of each test with their sizes and destinations in the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "record/TestRecord.h"

namespace korvex {

// Command bytes (one ASCII byte each).
inline constexpr uint8_t kCmdHandshake = '?';
inline constexpr uint8_t kCmdInput = '0';
inline constexpr uint8_t kCmdOutput = '1';
inline constexpr uint8_t kCmdComprehensive = '2';
inline constexpr uint8_t kCmdStart = '3';
inline constexpr uint8_t kCmdEnergy = '5';
inline constexpr uint8_t kCmdNext = '!';
inline constexpr uint8_t kEnergyAck = '!';

/// The instrument's 4-byte float: b0 is the biased exponent + 1 (0 means 0.0), then the
/// fraction low byte first, with the sign in bit 7 of b3. Never yields an infinity or NaN.
float decodeInstrumentFloat(const uint8_t* b);
/// Inverse of decodeInstrumentFloat for finite values (used by the simulator and tests).
/// Zero (and negative zero) encode as 00 00 00 00 / 01 00 00 80; infinities and NaN as 0.
void encodeInstrumentFloat(float value, uint8_t* out);
/// Instrument float n of a block of them (4 bytes each), as the parameter blocks carry them.
inline float floatAt(const uint8_t* block, int n)
{
    return decodeInstrumentFloat(block + static_cast<std::ptrdiff_t>(4) * n);
}
/// Signed 16-bit sample, low byte first.
inline int16_t decodeSample(const uint8_t* b)
{
    return static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
}
/// Sample i of a raw block.
inline int16_t sampleAt(const uint8_t* block, int i)
{
    return decodeSample(block + 2 * i);
}
inline void encodeSample(int16_t v, uint8_t* out)
{
    out[0] = static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF);
    out[1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

/// Where a reply block goes.
enum class Block {
    InputU,         // 512 bytes -> rawU
    InputI,         // 512 -> rawI
    InputParams,    // 40 -> paramBlock
    OutputParams,   // 64 -> outParamBlock
    CombinedParams, // 104 -> paramBlock, outParamBlock
    OutUl,          // 300 -> rawUl
    OutIf,          // 300 -> rawIf
    OutIl,          // 300 -> rawIl
    OutIk,          // 300 -> rawIk
    Start0,         // 600 -> rawStart region 0 (lamp voltage)
    Start1,         // filament current
    Start2,         // lamp current
    Start3,         // cathode lead current
    StartTail,      // 37 -> startBlock, startSwapFlag
    EnergyAck,      // 1, must be "!"; not stored
    EnergyU,        // 2000 -> waveFilamentU as floats
    EnergyI,        // 2000 -> waveFilamentI
    EnergyP,        // 2000 -> waveEnergy
    EnergyCalib,    // 18 -> calibBlock
};

/// The count field a step sets before it copies its block.
enum class CountField { None, SampleCount, OutSampleCount };

/// One step after the handshake: it waits for `bytes`, sets the count field, stores the block
/// and shows `progress` percent.
struct ReplyStep {
    int bytes;
    Block block;
    int progress;
    CountField count;
    int32_t countValue;
};

/// The largest reply block of any sequence (each energy curve, 1000 samples); a buffer of this
/// size takes any block. Frames.cpp checks it against the sequences' step tables.
inline constexpr int kLargestReplyBlock = 2000;

/// A test's command sequence: step 0 (handshake and command) followed by `steps`.
struct SequenceSpec {
    int32_t kind;
    const char* statusPrefix; // UTF-8
    uint8_t command;
    bool repeats;   // the measuring tests restart through Timer1
    bool timeLimit; // 4000 ms per block; start and energy wait without limit
    std::span<const ReplyStep> steps;
};

/// The sequence of a kind 1..6; nullptr for any other value.
const SequenceSpec* sequenceFor(int32_t kind);

/// Total reply bytes of a kind's run after the handshake answer.
int replyBytesOf(int32_t kind);

/// Applies the step's count setting and copies its block (exactly step.bytes bytes) to the
/// destination. The energy acknowledgement is not stored; use it with isEnergyAck(). step is
/// one of the sequences' steps: their sizes are checked against the destinations at compile time.
void storeBlock(TestRecord& r, const ReplyStep& step, const uint8_t* data);

inline bool isEnergyAck(uint8_t b)
{
    return b == kEnergyAck;
}

} // namespace korvex
