// Inputtest: evaluation of its test kind.
#pragma once

#include "TestRecord.h"

namespace korvex {

void evaluateInput(TestRecord& r);

} // namespace korvex
