// TInfoForm: the modal editor of the ten test information texts printed on every report.
#pragma once

#include <QtWidgets/QDialog>

#include "record/TestRecord.h"

class QLineEdit;
class QPushButton;

namespace korvex {

class TInfoForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kEditCount = 10;

    explicit TInfoForm(TestRecord& record, QWidget* parent = nullptr);

    /// Edit boxes in table order: name, number, type, standard, temperature, humidity,
    /// manufacturer, operator, flux, colour temperature.
    QLineEdit* edits[kEditCount] = {};
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    /// Size in bytes (terminator included) of the field behind edit i.
    static int fieldSize(int i);

    void FormShow();
    void OkBtnClick();
    void CancelBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    char* field(int i);
    TestRecord& record_;
};

} // namespace korvex
