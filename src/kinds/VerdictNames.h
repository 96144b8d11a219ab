// The names of a verdict's parts: stable English keys for JSON, CSV and the log, and captions,
// units and results in the report's language.
#pragma once

#include <string>
#include <vector>

#include "kinds/Verdict.h"

namespace korvex {

/// Stable English key of a check for JSON and CSV ("classC.h3", "lampCrest.negative", ...).
std::string checkKey(const LimitCheck& c);
/// Caption of a check in the report language ("3rd harmonic" / "3次谐波"...).
std::string checkLabel(const LimitCheck& c, bool chinese);
/// Unit of a check's value and limit ("%", "mA/W", "°", "J", "W", "").
const char* checkUnit(const LimitCheck& c);
const char* sectionKey(SectionKind kind);
/// Stable key of a Class C regime ("above25W", "5to25W", ...).
const char* regimeKey(ClassCRegime g);
std::string sectionLabel(const VerdictSection& s, bool chinese);
/// "PASS"/"FAIL"/"disregarded" or "合格"/"不合格"/"不计".
const char* outcomeText(Outcome o, bool chinese);
/// "PASS"/"FAIL"/"NO CHECKS"/"NOT JUDGED" or "合格"/"不合格"/"无判定项目"/"未判定".
const char* resultText(VerdictResult r, bool chinese);
/// The stable key of a result in JSON, CSV and the log: "pass", "fail", "none", "unjudged".
const char* resultKey(VerdictResult r);
/// Stable key of a check's outcome: "pass", "fail", "disregarded".
const char* outcomeKey(Outcome o);
/// What failed, by name in the report language: each failed check, and each section that
/// failed for want of its signal ("no lamp current measured"); the reason when not judged.
std::vector<std::string> failedCheckLabels(const Verdict& v, bool chinese);
/// The same as stable keys ("classC.h3", "lampCrest.notMeasured").
std::vector<std::string> failedCheckKeys(const Verdict& v);

} // namespace korvex
