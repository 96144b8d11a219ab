// The OK / cancel button row that the dialogs share.
#include "app/dialogs/DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace korvex {

ButtonRow makeOkCancelRow(QWidget* parent, const QString& okText, bool centred)
{
    ButtonRow row{new QPushButton(okText, parent), new QPushButton(QStringLiteral("取消"), parent), new QHBoxLayout};
    row.ok->setObjectName(QStringLiteral("OkBtn"));
    row.cancel->setObjectName(QStringLiteral("CancelBtn"));
    row.layout->addStretch();
    row.layout->addWidget(row.ok);
    row.layout->addWidget(row.cancel);
    if (centred)
        row.layout->addStretch();
    return row;
}

} // namespace korvex
