// TFilamentForm: the modal editor of the preheat parameters Q, P and F.
#pragma once

#include <QtWidgets/QDialog>

#include "record/TestRecord.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace korvex {

class DialogRunner;

class TFilamentForm : public QDialog {
    Q_OBJECT
  public:
    TFilamentForm(TestRecord& record, DialogRunner& runner, QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* QEdit = nullptr;
    QLineEdit* PEdit = nullptr;
    QLineEdit* FEdit = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void FormShow() const;
    /// Converts the three texts and stores them together; on the first text that is not a
    /// finite number shows its message and stores nothing. Returns true when stored.
    bool validate();
    void OkBtnClick();
    void CancelBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    TestRecord& record_;
    DialogRunner& runner_;
};

} // namespace korvex
