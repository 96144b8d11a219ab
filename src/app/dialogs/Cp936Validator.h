// Input limit of edit boxes bound to code page 936 text fields.
#pragma once

#include <QtGui/QValidator>

namespace korvex {

/// Accepts a text only while its code page 936 form fits maxBytes, so a Chinese character
/// (two bytes) counts twice. QLineEdit's maxLength counts characters and cannot do this.
class Cp936Validator : public QValidator {
    Q_OBJECT
  public:
    Cp936Validator(int maxBytes, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;
    /// Cuts an over-long text (e.g. pasted) to the longest prefix that fits.
    void fixup(QString& input) const override;

    int maxBytes() const { return maxBytes_; }

  private:
    int maxBytes_;
};

} // namespace korvex
