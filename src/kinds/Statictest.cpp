// The comprehensive evaluation: the input and the output halves on one record.
#include "kinds/Statictest.h"

#include "kinds/Inputtest.h"
#include "kinds/Outputtest.h"

namespace korvex {

void evaluateComprehensive(TestRecord& r)
{
    r.hasInputResult = 1;
    r.hasPhaseResult = 1;
    r.hasOutputResult = 1;
    r.hasCompResult = 1;
    // An absent mains voltage or current ends only the input half; the lamp side is still
    // measured. The output blocks have their own count so the input half keeps 256.
    evaluateInputHalf(r);
    evaluateOutputHalf(r, r.work.outSampleCount);
    stampTestDate(r);
}

} // namespace korvex
