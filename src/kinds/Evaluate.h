// Runs the evaluation of a test kind, and loads a captured run's reply blocks into a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "record/TestRecord.h"

namespace korvex {

/// The evaluation that follows the last step of a kind's sequence (the phase-angle test uses
/// the input evaluation). Any other kind does nothing.
void evaluateKind(int32_t kind, TestRecord& r);

/// Stores the reply blocks of one run of a kind (everything after the handshake answer, in
/// arrival order) into r, block by block as the sequence would. The capture must hold exactly
/// the bytes of the kind's steps, and an energy capture must start with the acknowledgement
/// "!". Returns false with a reason in error (and r unchanged) otherwise.
bool loadCapture(TestRecord& r, int32_t kind, const uint8_t* data, size_t size, std::string& error);

} // namespace korvex
