// TInfoForm: the modal editor of the ten test information texts printed on every report.
#include "app/dialogs/Inputinfo.h"
#include "app/dialogs/DialogButtons.h"

#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionFrame>

#include <algorithm>

#include "app/dialogs/Cp936Validator.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

struct EditInfo {
    const char* label;
    const char* unit;
    int row;
    int column; // 0 left, 1 right; -1 spans the row
};

const EditInfo kEdits[TInfoForm::kEditCount] = {
    {"产品名称", "", 0, 0},  {"产品编号", "", 0, 1},  {"产品型号", "", 1, 0}, {"产品规格", "", 1, 1},
    {"环境温度", "℃", 2, 0}, {"环境湿度", "%", 2, 1}, {"制造商", "", 3, -1},  {"测试员", "", 4, -1},
    {"光通量", "", 5, 0},    {"色温", "", 5, 1},
};

// Wide enough for a full field: limit capital letters or digits, or limit / 2 Chinese characters
// (two bytes each in the field), with the frame and margins of a line edit around them.
int editWidthFor(const QLineEdit& edit, int limit)
{
    const QFontMetrics fm = edit.fontMetrics();
    const int text = std::max(fm.horizontalAdvance(QString(limit, QLatin1Char('X'))),
                              fm.horizontalAdvance(QString(limit / 2, QChar(0x4E2D))));
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    const QMargins margins = edit.textMargins();
    // QLineEdit keeps 2 pixels beside the text on each side and one for the cursor.
    const QSize contents(text + margins.left() + margins.right() + 2 * 2 + 1, fm.height());
    return edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &edit).width();
}

} // namespace

int TInfoForm::fieldSize(int i)
{
    static const TestRecord probe;
    const int sizes[kEditCount] = {
        int(sizeof probe.infoName),         int(sizeof probe.infoNo),          int(sizeof probe.infoType),
        int(sizeof probe.infoSpec),         int(sizeof probe.infoTemperature), int(sizeof probe.infoHumidity),
        int(sizeof probe.infoManufacturer), int(sizeof probe.infoOperator),    int(sizeof probe.infoFlux),
        int(sizeof probe.infoColorTemp),
    };
    return sizes[i];
}

char* TInfoForm::field(int i)
{
    char* const fields[kEditCount] = {
        record_.infoName,     record_.infoNo,           record_.infoType,     record_.infoSpec, record_.infoTemperature,
        record_.infoHumidity, record_.infoManufacturer, record_.infoOperator, record_.infoFlux, record_.infoColorTemp,
    };
    return fields[i];
}

TInfoForm::TInfoForm(TestRecord& record, QWidget* parent) : QDialog(parent), record_(record)
{
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("输入打印参数"));

    auto* grid = new QGridLayout;
    for (int i = 0; i < kEditCount; ++i) {
        const EditInfo& e = kEdits[i];
        const int limit = fieldSize(i) - 1;
        edits[i] = new QLineEdit(this);
        edits[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        // maxLength counts characters; the validator counts the bytes the field holds.
        edits[i]->setMaxLength(limit);
        edits[i]->setValidator(new Cp936Validator(limit, edits[i]));
        edits[i]->setMinimumWidth(editWidthFor(*edits[i], limit));
        auto* label = new QLabel(QString::fromUtf8(e.label), this);
        label->setBuddy(edits[i]);
        const int col = e.column < 0 ? 0 : e.column * 3;
        const int span = e.column < 0 ? 4 : 1;
        grid->addWidget(label, e.row, col);
        grid->addWidget(edits[i], e.row, col + 1, 1, span);
        if (*e.unit)
            grid->addWidget(new QLabel(QString::fromUtf8(e.unit), this), e.row, col + 2);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    grid->setColumnMinimumWidth(2, 16);

    const ButtonRow row = makeOkCancelRow(this, QStringLiteral("确认"), true);
    OkBtn = row.ok;
    CancelBtn = row.cancel;
    OkBtn->setDefault(true);
    QHBoxLayout* buttons = row.layout;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    // The fields are as wide as their texts can be; the dialog keeps the size that gives them.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OkBtn, &QPushButton::clicked, this, &TInfoForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TInfoForm::CancelBtnClick);
}

void TInfoForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TInfoForm::FormShow()
{
    for (int i = 0; i < kEditCount; ++i)
        edits[i]->setText(QString::fromStdString(cp936ToUtf8(fieldText(field(i), size_t(fieldSize(i))))));
}

void TInfoForm::OkBtnClick()
{
    for (int i = 0; i < kEditCount; ++i)
        storeText(field(i), size_t(fieldSize(i)), utf8ToCp936(edits[i]->text().toStdString()));
    accept();
}

void TInfoForm::CancelBtnClick()
{
    for (QLineEdit* e : edits)
        e->clear();
    reject();
}

} // namespace korvex
