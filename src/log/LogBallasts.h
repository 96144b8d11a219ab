// The tested ballasts of a filter, read from the log, and the limits of their product type: what
// the statistics of ballasts (yield, failure Pareto, Cp/Cpk) are computed from.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <map>
#include <string>
#include <vector>

#include "kinds/BallastStats.h"

namespace korvex {

/// The tested ballasts of a filter as their statistics take them, and the limits their values
/// are judged against.
struct LogBallasts {
    /// Oldest first. Result: pass or fail as logged; a ballast logged incomplete, or complete but
    /// not judged (the limits file could not be read), is incomplete: never a pass. Failed
    /// checks: their stable keys (failedCheckLabel names them). Values: those capabilityLimits
    /// names, from the ballast's own step runs (a value two steps measured: the later step's).
    std::vector<BallastOutcome> outcomes;
    /// The limits of the product type's profile (its section, else "default", as the ballasts
    /// were judged); empty when the ballasts are of several types.
    std::map<std::string, ValueLimits> limits;
    /// The product types of the ballasts (up to three); limits only when there is one.
    QStringList types;
    QString profile; ///< the profile the limits come from; empty: none
};

} // namespace korvex
