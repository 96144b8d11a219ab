// Statictest: evaluation of its test kind.
#pragma once

#include "TestRecord.h"

namespace korvex {

void evaluateComprehensive(TestRecord& r);

} // namespace korvex
