// A test changes a controller's record as the program does: a stored record opened over it
// (a data file, a logged run) or the operator's entries (the dialogs, the serial number field).
#pragma once

#include <QtCore/QString>
#include <memory>
#include <string_view>

#include "link/Controller.h"
#include "record/TextCodec.h"

namespace korvex::test {

/// Opens the record, as edit leaves a copy of it, as a stored record (source names it).
template <class Edit> void openEdited(Controller& c, Edit edit, const QString& source = QStringLiteral("test.kvx"))
{
    auto stored = std::make_unique<TestRecord>(c.record());
    edit(*stored);
    c.replaceRecord(*stored, source);
}

/// The serial number (test information 产品编号) as the operator sets it.
inline void setSerialNumber(Controller& c, std::string_view cp936)
{
    auto entries = std::make_unique<TestRecord>(c.record());
    storeText(entries->infoNo, cp936);
    c.takeEntries(*entries);
}

} // namespace korvex::test
