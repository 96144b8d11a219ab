// Statictest: evaluation of the comprehensive test (input and output in one run).
#pragma once

#include "record/TestRecord.h"

namespace korvex {

/// The input half over sampleCount samples, then always the output half over outSampleCount.
void evaluateComprehensive(TestRecord& r);

} // namespace korvex
