// Outputtest: evaluation of its test kind.
#pragma once

#include "TestRecord.h"

namespace korvex {

void evaluateOutput(TestRecord& r);

} // namespace korvex
