// Runs the evaluation of a test kind.
#pragma once

#include <cstdint>

#include "record/TestRecord.h"

namespace korvex {

/// The evaluation that follows the last step of a kind's sequence (the phase-angle test uses
/// the input evaluation). Any other kind does nothing.
void evaluateKind(int32_t kind, TestRecord& r);

} // namespace korvex
