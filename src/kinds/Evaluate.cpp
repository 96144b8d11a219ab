// Dispatch from a test kind to its evaluation.
#include "kinds/Evaluate.h"

#include "kinds/Energytest.h"
#include "kinds/Inputtest.h"
#include "kinds/Outputtest.h"
#include "kinds/Starttest.h"
#include "kinds/Statictest.h"

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
