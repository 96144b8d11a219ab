// The test kinds' names on the command line, in kind order.
#include "KindNames.h"

namespace korvex::cli {

namespace {
const char* const kNames[6] = {"input", "phase", "output", "comprehensive", "start", "energy"};
}

int32_t kindByName(const std::string& name)
{
    for (int k = 0; k < 6; ++k)
        if (name == kNames[k])
            return k + 1;
    return 0;
}

const char* kindName(int32_t kind)
{
    return (kind >= 1 && kind <= 6) ? kNames[kind - 1] : "none";
}

} // namespace korvex::cli
