// TPrinterForm: the modal choice of the printer family, which decides the rotation of the
// rotated texts of the English comprehensive print page.
#pragma once

#include <cstdint>

#include <QtWidgets/QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace korvex {

class TPrinterForm : public QDialog {
    Q_OBJECT
  public:
    /// printerFamily: 0 Epson/Canon, 1 HP and compatibles.
    TPrinterForm(int& printerFamily, QWidget* parent = nullptr);

    QGroupBox* PrinterGroup = nullptr;
    QRadioButton* items[2] = {};
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void FormShow();
    void OkBtnClick();
    void CancelBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    int& printerFamily_;
};

} // namespace korvex
