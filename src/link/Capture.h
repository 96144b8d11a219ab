// A captured run: the reply blocks of one run of a kind, stored into a record as the sequence
// stores them (korvex-cli replay, the soak's checks, tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "record/TestRecord.h"

namespace korvex {

/// Stores the reply blocks of one run of a kind (everything after the handshake answer, in
/// arrival order) into r, block by block as the sequence would. The capture must hold exactly
/// the bytes of the kind's steps, and an energy capture must start with the acknowledgement
/// "!". Returns false with a reason in error (and r unchanged) otherwise.
bool loadCapture(TestRecord& r, int32_t kind, const uint8_t* data, size_t size, std::string& error);

} // namespace korvex
