// TPrintForm: the modal choice of the pages to print (the current one or any tested ones).
#include "app/dialogs/Printchoice.h"

#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

namespace korvex {

TPrintForm::TPrintForm(int32_t (&selection)[6], const int32_t& currentTest, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), selection_(selection),
      currentTest_(currentTest)
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("选择打印已测试的参数"));
    setFixedSize(320, 360);

    PrintGroup = new QGroupBox(QStringLiteral("打印测试页面"), this);
    PrintGroup->setObjectName(QStringLiteral("PrintGroup"));
    CurrentItem = new QRadioButton(QStringLiteral("当前测试页面"), PrintGroup);
    AllItem = new QRadioButton(QStringLiteral("所有已测试页面"), PrintGroup);
    AllItem->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(CurrentItem, 0);
    group->addButton(AllItem, 1);
    auto* groupLayout = new QVBoxLayout(PrintGroup);
    groupLayout->addWidget(CurrentItem);
    groupLayout->addWidget(AllItem);

    AllFaceBox = new QGroupBox(QStringLiteral("已测试页面"), this);
    AllFaceBox->setObjectName(QStringLiteral("AllFaceBox"));
    const char* const names[6] = {"输入", "相位角", "输出", "综合", "启动", "灯丝预热"};
    const char* const objectNames[6] = {"InputBox", "PhaseBox", "OutputBox", "StaticBox", "StartBox", "FilaBox"};
    auto* grid = new QGridLayout(AllFaceBox);
    for (int i = 0; i < 6; ++i) {
        boxes[i] = new QCheckBox(QString::fromUtf8(names[i]), AllFaceBox);
        boxes[i]->setObjectName(QString::fromLatin1(objectNames[i]));
        grid->addWidget(boxes[i], i / 2, i % 2);
    }

    OkBtn = new QPushButton(QStringLiteral("确认"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PrintGroup);
    layout->addWidget(AllFaceBox);
    layout->addStretch();
    layout->addWidget(OkBtn, 0, Qt::AlignHCenter);

    connect(group, &QButtonGroup::idClicked, this, [this](int) { PrintGroupClick(); });
    connect(OkBtn, &QPushButton::clicked, this, &TPrintForm::OkBtnClick);
}

void TPrintForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TPrintForm::FormShow()
{
    for (int i = 0; i < 6; ++i)
        boxes[i]->setChecked(selection_[i] != 0);
    PrintGroupClick();
}

void TPrintForm::PrintGroupClick() const
{
    AllFaceBox->setVisible(AllItem->isChecked());
}

void TPrintForm::OkBtnClick()
{
    for (int i = 0; i < 6; ++i) {
        if (AllItem->isChecked())
            selection_[i] = boxes[i]->isChecked() ? 1 : 0;
        else
            selection_[i] = (currentTest_ == i + 1) ? 1 : 0;
    }
    accept();
}

void TPrintForm::reject() {}

} // namespace korvex
