// Dispatch from a test kind to its evaluation.
#include "Evaluate.h"

#include "Energytest.h"
#include "Inputtest.h"
#include "Outputtest.h"
#include "Starttest.h"
#include "Statictest.h"

namespace korvex {

void evaluateKind(int32_t kind, TestRecord& r)
{
    switch (kind) {
    case KindInput:
    case KindPhase: evaluateInput(r); break;
    case KindOutput: evaluateOutput(r); break;
    case KindComprehensive: evaluateComprehensive(r); break;
    case KindStart: evaluateStart(r); break;
    case KindEnergy: evaluateEnergy(r); break;
    default: break;
    }
}

} // namespace korvex
