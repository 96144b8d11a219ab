// TPictureForm: the wiring picture shown before the preheat energy test, with "测试"/"取消".
#include "app/dialogs/Yrpicture.h"

#include <QtCore/QFile>
#include <QtGui/QPixmap>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

#include "app/dialogs/JpegImage.h"
#include "app/dialogs/Resources.h"

namespace korvex {

QByteArray TPictureForm::wiringJpeg()
{
    initKorvexResources();
    QFile file(QStringLiteral(":/korvex/wiring.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

TPictureForm::TPictureForm(QWidget* parent) : TPictureForm(wiringJpeg(), parent) {}

TPictureForm::TPictureForm(const QByteArray& jpeg, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PictureForm"));
    setWindowTitle(QStringLiteral("预热能量测试接线图"));

    Label1 = new QLabel(QStringLiteral("预热能量测试请按下图接线！"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    Label1->setFont(font);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QImage picture = decodeJpeg(jpeg);
    hasPicture_ = !picture.isNull();
    if (hasPicture_)
        Image1->setPixmap(QPixmap::fromImage(picture));
    else
        Image1->hide(); // a damaged picture must not keep the operator from testing

    TestBtn = new QPushButton(QStringLiteral("测试"), this);
    TestBtn->setObjectName(QStringLiteral("TestBtn"));
    TestBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("取消"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(TestBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(Image1, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(TestBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace korvex
