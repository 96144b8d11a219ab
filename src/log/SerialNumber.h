// Serial numbers on a production line: the next number after a logged run.
#pragma once

#include <QtCore/QString>

namespace korvex {

/// The serial with its trailing digits counted up by one, keeping their width ("SN-0042" ->
/// "SN-0043", "A99" -> "A100"). A serial without trailing digits is returned unchanged.
QString nextSerialNumber(const QString& serial);

} // namespace korvex
