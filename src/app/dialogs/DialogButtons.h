// The OK / cancel button row that the dialogs share.
#pragma once

#include <QString>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace korvex {

struct ButtonRow {
    QPushButton* ok;
    QPushButton* cancel;
    QHBoxLayout* layout;
};

/// Buttons named OkBtn (with okText) and CancelBtn ("取消") in a row, right-aligned or centred.
ButtonRow makeOkCancelRow(QWidget* parent, const QString& okText, bool centred);

} // namespace korvex
