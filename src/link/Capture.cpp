// Loading a captured run through the reply-block table.
#include "link/Capture.h"

#include "link/Frames.h"

namespace korvex {

bool loadCapture(TestRecord& r, int32_t kind, const uint8_t* data, size_t size, std::string& error)
{
    const SequenceSpec* seq = sequenceFor(kind);
    if (seq == nullptr) {
        error = "unknown test kind " + std::to_string(kind);
        return false;
    }
    // Check everything before storing anything, so a refused capture leaves r as it was.
    size_t expected = 0;
    for (const ReplyStep& step : seq->steps)
        expected += static_cast<size_t>(step.bytes);
    if (size != expected) {
        error = "capture holds " + std::to_string(size) + " bytes, this test's replies are " +
                std::to_string(expected) + " bytes";
        return false;
    }
    size_t offset = 0;
    for (const ReplyStep& step : seq->steps) {
        if (step.block == Block::EnergyAck && !isEnergyAck(data[offset])) {
            error = "the energy capture does not start with the acknowledgement '!'";
            return false;
        }
        offset += static_cast<size_t>(step.bytes);
    }
    offset = 0;
    for (const ReplyStep& step : seq->steps) {
        storeBlock(r, step, data + offset);
        offset += static_cast<size_t>(step.bytes);
    }
    return true;
}

} // namespace korvex
