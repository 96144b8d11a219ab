// Starttest: evaluation of the 5 s lamp start capture and the cursor read-out it shares with the page.
#pragma once

#include "record/TestRecord.h"

namespace korvex {

void evaluateStart(TestRecord& r);

/// Places the start cursor at sample index (bounded to 0..299) and reads the four envelopes
/// there in V or A (envelope value × instrument peak / envelope peak; 0 when that peak is 0).
void setStartCursor(TestRecord& r, int32_t index);

/// The start cursor at sample index with the given time, and the four envelopes there in V
/// or A; an index outside 0..299 becomes 0.
StartCursor startCursorAt(const TestRecord& r, int32_t index, float time);

} // namespace korvex
