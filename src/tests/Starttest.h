// Starttest: evaluation of its test kind.
#pragma once

#include "TestRecord.h"

namespace korvex {

void evaluateStart(TestRecord& r);

} // namespace korvex
