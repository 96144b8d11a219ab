// TFilamentForm: the modal editor of the preheat parameters Q, P and F.
#include "app/dialogs/Filapara.h"
#include "app/dialogs/DialogButtons.h"

#include <cmath>

#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "app/dialogs/DialogRunner.h"
#include "record/NumberFormat.h"

namespace korvex {

namespace {

bool parseFinite(const QLineEdit* edit, double& value)
{
    // The record keeps single floats: a value beyond their range would become infinite.
    return parseNumber(edit->text().toStdString(), value) && std::isfinite(static_cast<float>(value));
}

} // namespace

TFilamentForm::TFilamentForm(TestRecord& record, DialogRunner& runner, QWidget* parent)
    : QDialog(parent), record_(record), runner_(runner)
{
    setObjectName(QStringLiteral("FilamentForm"));
    setWindowTitle(QStringLiteral("灯丝参数"));

    GroupBox1 = new QGroupBox(QStringLiteral("灯丝参数"), this);
    auto* grid = new QGridLayout(GroupBox1);
    QEdit = new QLineEdit(GroupBox1);
    QEdit->setObjectName(QStringLiteral("QEdit"));
    PEdit = new QLineEdit(GroupBox1);
    PEdit->setObjectName(QStringLiteral("PEdit"));
    FEdit = new QLineEdit(GroupBox1);
    FEdit->setObjectName(QStringLiteral("FEdit"));
    grid->addWidget(new QLabel(QStringLiteral("灯丝阴极Q值："), GroupBox1), 0, 0);
    grid->addWidget(QEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("J"), GroupBox1), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("灯丝阴极P值："), GroupBox1), 1, 0);
    grid->addWidget(PEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("W"), GroupBox1), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Emax=F*Emin,F="), GroupBox1), 2, 0);
    grid->addWidget(FEdit, 2, 1);

    const ButtonRow row = makeOkCancelRow(this, QStringLiteral("确定"), true);
    OkBtn = row.ok;
    CancelBtn = row.cancel;
    // Enter in an edit box validates through returnPressed below, not through a default button.
    OkBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    QHBoxLayout* buttons = row.layout;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    // A fixed layout: the dialog keeps its size, so a maximise offered by the window manager
    // has nothing to enlarge.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OkBtn, &QPushButton::clicked, this, &TFilamentForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFilamentForm::CancelBtnClick);
    for (QLineEdit* edit : {QEdit, PEdit, FEdit})
        connect(edit, &QLineEdit::returnPressed, this, &TFilamentForm::OkBtnClick);
}

void TFilamentForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFilamentForm::FormShow() const
{
    QEdit->setText(QString::fromStdString(formatFixed(record_.qPara, 4, 2)));
    PEdit->setText(QString::fromStdString(formatFixed(record_.pPara, 4, 2)));
    FEdit->setText(QString::fromStdString(formatFixed(record_.fPara, 5, 3)));
}

bool TFilamentForm::validate()
{
    double q = 0, p = 0, f = 0;
    if (!parseFinite(QEdit, q)) {
        runner_.message(QStringLiteral("Q值设定错误!"), QStringLiteral("警告"));
        return false;
    }
    if (!parseFinite(PEdit, p)) {
        runner_.message(QStringLiteral("P值设定错误!"), QStringLiteral("警告"));
        return false;
    }
    if (!parseFinite(FEdit, f)) {
        runner_.message(QStringLiteral("F值设定错误!"), QStringLiteral("警告"));
        return false;
    }
    record_.qPara = static_cast<float>(q);
    record_.pPara = static_cast<float>(p);
    record_.fPara = static_cast<float>(f);
    return true;
}

void TFilamentForm::OkBtnClick()
{
    // The dialog ends with OK whether or not the values were taken: the caller only repaints.
    validate();
    accept();
}

void TFilamentForm::CancelBtnClick()
{
    reject();
}

} // namespace korvex
