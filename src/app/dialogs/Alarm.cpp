// TAlarmForm: the non-modal notice shown while the instrument does not answer.
#include "app/dialogs/Alarm.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QHideEvent>
#include <QtWidgets/QLabel>
#include <QtWidgets/QVBoxLayout>

namespace korvex {

TAlarmForm::TAlarmForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("AlarmForm"));
    setWindowTitle(QStringLiteral("通讯提示"));
    setModal(false);
    // Fixed, so a maximise offered by the window manager has nothing to enlarge.
    setFixedSize(272, 132);

    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    Label1 = new QLabel(QStringLiteral("通讯联络失败，请检查！"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(font);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    Label2 = new QLabel(QStringLiteral("程序将自动侦测串行通讯口！"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(font);
    PortLabel = new QLabel(this);
    PortLabel->setObjectName(QStringLiteral("PortLabel"));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);
    layout->addWidget(PortLabel, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void TAlarmForm::setPortText(const QString& text)
{
    PortLabel->setText(fontMetrics().elidedText(text, Qt::ElideMiddle, 272 - 16));
    PortLabel->setToolTip(text);
}

void TAlarmForm::setAlarmVisible(bool visible)
{
    if (visible && isVisible() && isMinimized()) {
        showNormal(); // minimised through the title bar: the notice must not stay out of sight
        return;
    }
    if (visible == isVisible())
        return;
    if (visible) {
        // A dialog shown again is centred over its parent anew unless it was placed, and a
        // move by the window manager does not count as placing it.
        if (place_)
            move(*place_);
        show();
    } else {
        hiding_ = true;
        hide();
        hiding_ = false;
    }
}

void TAlarmForm::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) // hidden by the program, not minimised
        place_ = pos();
    QDialog::hideEvent(event);
}

void TAlarmForm::reject() {}

void TAlarmForm::closeEvent(QCloseEvent* event)
{
    if (hiding_)
        event->accept();
    else
        event->ignore();
}

} // namespace korvex
