// Input limit of edit boxes bound to code page 936 text fields.
#include "app/dialogs/Cp936Validator.h"

#include "record/TextCodec.h"

namespace korvex {

Cp936Validator::Cp936Validator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State Cp936Validator::validate(QString& input, int& /*pos*/) const
{
    const std::string bytes = utf8ToCp936(input.toStdString());
    return bytes.size() <= static_cast<size_t>(maxBytes_) ? Acceptable : Invalid;
}

void Cp936Validator::fixup(QString& input) const
{
    const std::string bytes = utf8ToCp936(input.toStdString());
    if (bytes.size() <= static_cast<size_t>(maxBytes_))
        return;
    input = QString::fromStdString(cp936ToUtf8(truncateCp936(bytes, static_cast<size_t>(maxBytes_))));
}

} // namespace korvex
