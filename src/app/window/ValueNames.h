// The logged values as the window names them: the program's words with the unit, in the
// window's language ("输入功率 (W)", "Input power (W)"), never the record's field names.
#pragma once

#include <QtCore/QString>

namespace korvex {

struct LogValueColumn;

/// The name of a logged value with its unit in brackets where it has one.
QString valueName(const LogValueColumn& column, bool chinese);

} // namespace korvex
