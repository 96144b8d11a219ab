// TPortForm: the modal choice of the serial port (COM1 to COM4).
#include "app/dialogs/Portchoice.h"
#include "app/dialogs/DialogButtons.h"

#include <cstring>

#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

#include "record/TextCodec.h"

namespace korvex {

namespace {
const char* const kPortNames[4] = {"COM1", "COM2", "COM3", "COM4"};
// Room beside a port name in the 244 pixel wide dialog.
constexpr int kDeviceTextWidth = 130;
} // namespace

TPortForm::TPortForm(Settings& settings, std::function<void()> openPort,
                     std::function<QString(const QString&)> resolveDevice, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      settings_(settings), openPort_(std::move(openPort)), resolveDevice_(std::move(resolveDevice))
{
    setObjectName(QStringLiteral("PortForm"));
    setWindowTitle(QStringLiteral("通讯口选择"));

    RadioGroup1 = new QGroupBox(QStringLiteral("串口选择"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    RadioGroup1->setFont(font);
    auto* grid = new QGridLayout(RadioGroup1);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setVerticalSpacing(0);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        items[i] = new QRadioButton(QString::fromLatin1(kPortNames[i]), RadioGroup1);
        devices[i] = new QLabel(RadioGroup1);
        QFont small = devices[i]->font();
        small.setPixelSize(12);
        devices[i]->setFont(small);
        // Information only, but in the normal text colour: a disabled label is too pale to read.
        devices[i]->setFocusPolicy(Qt::NoFocus);
        // A long device path is cut (FormShow elides it) rather than widening the dialog.
        devices[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        group->addButton(items[i], i);
        grid->addWidget(items[i], i, 0);
        grid->addWidget(devices[i], i, 1);
    }
    items[0]->setChecked(true);

    const ButtonRow row = makeOkCancelRow(this, QStringLiteral("确认"), false);
    OkBtn = row.ok;
    CancelBtn = row.cancel;
    OkBtn->setDefault(true);
    QHBoxLayout* buttons = row.layout;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addWidget(RadioGroup1);
    layout->addLayout(buttons);
    setFixedSize(244, 173);

    connect(OkBtn, &QPushButton::clicked, this, &TPortForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TPortForm::CancelBtnClick);
}

int TPortForm::itemIndex() const
{
    for (int i = 0; i < 4; ++i)
        if (items[i]->isChecked())
            return i;
    return -1;
}

void TPortForm::setItemIndex(int index)
{
    if (index >= 0 && index < 4)
        items[index]->setChecked(true);
}

void TPortForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TPortForm::FormShow()
{
    const std::string current = fieldText(settings_.portName);
    int index = 0; // any other name shows COM1
    for (int i = 0; i < 4; ++i)
        if (current == kPortNames[i])
            index = i;
    setItemIndex(index);
    for (int i = 0; i < 4; ++i) {
        const QString device = resolveDevice_ ? resolveDevice_(QString::fromLatin1(kPortNames[i])) : QString();
        const QString text = device.isEmpty() ? QString() : QStringLiteral("→ ") + device;
        devices[i]->setText(devices[i]->fontMetrics().elidedText(text, Qt::ElideMiddle, kDeviceTextWidth));
        devices[i]->setToolTip(device);
    }
}

void TPortForm::OkBtnClick()
{
    const int index = itemIndex();
    storeText(settings_.portName, kPortNames[index < 0 ? 0 : index]);
    if (openPort_)
        openPort_(); // closes the old port and opens the chosen one, reporting a failure itself
    accept();
}

void TPortForm::CancelBtnClick()
{
    reject();
}

} // namespace korvex
