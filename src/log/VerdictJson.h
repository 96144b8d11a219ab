// A verdict read back from the JSON a log entry keeps, so a reopened run shows the judgement it
// was logged with, not one made again against limits that may have changed since.
#pragma once

#include <QtCore/QString>
#include <optional>

#include "kinds/Verdict.h"

namespace korvex {

/// The verdict verdictJson wrote; nothing when the text is not such a verdict.
std::optional<Verdict> verdictFromJson(const QString& json);

} // namespace korvex
