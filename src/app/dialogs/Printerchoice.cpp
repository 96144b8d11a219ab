// TPrinterForm: the modal choice of the printer family.
#include "app/dialogs/Printerchoice.h"
#include "app/dialogs/DialogButtons.h"

#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

namespace korvex {

TPrinterForm::TPrinterForm(int& printerFamily, QWidget* parent) : QDialog(parent), printerFamily_(printerFamily)
{
    setObjectName(QStringLiteral("PrinterForm"));
    setWindowTitle(QStringLiteral("打印机选择"));

    PrinterGroup = new QGroupBox(QStringLiteral("选择打印机"), this);
    PrinterGroup->setObjectName(QStringLiteral("PrinterGroup"));
    items[0] = new QRadioButton(QStringLiteral("Epson、Canon等打印机"), PrinterGroup);
    items[1] = new QRadioButton(QStringLiteral("HP及兼容打印机"), PrinterGroup);
    auto* group = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(PrinterGroup);
    for (int i = 0; i < 2; ++i) {
        group->addButton(items[i], i);
        groupLayout->addWidget(items[i]);
    }
    items[0]->setChecked(true);

    const ButtonRow row = makeOkCancelRow(this, QStringLiteral("确定"), false);
    OkBtn = row.ok;
    CancelBtn = row.cancel;
    OkBtn->setDefault(true);
    QHBoxLayout* buttons = row.layout;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PrinterGroup);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // nothing to gain from a larger dialog

    connect(OkBtn, &QPushButton::clicked, this, &TPrinterForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TPrinterForm::CancelBtnClick);
}

void TPrinterForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TPrinterForm::FormShow()
{
    items[printerFamily_ == 1 ? 1 : 0]->setChecked(true);
}

void TPrinterForm::OkBtnClick()
{
    printerFamily_ = items[1]->isChecked() ? 1 : 0;
    accept();
}

void TPrinterForm::CancelBtnClick()
{
    reject();
}

} // namespace korvex
