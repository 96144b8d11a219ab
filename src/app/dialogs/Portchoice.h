// TPortForm: the modal choice of the serial port (COM1 to COM4).
#pragma once

#include <functional>

#include <QtWidgets/QDialog>

#include "record/Configuration.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace korvex {

class TPortForm : public QDialog {
    Q_OBJECT
  public:
    /// openPort reopens the port named in settings; resolveDevice tells which device a COM
    /// name stands for on this machine (shown beside each choice).
    TPortForm(Settings& settings, std::function<void()> openPort, std::function<QString(const QString&)> resolveDevice,
              QWidget* parent = nullptr);

    /// Chosen item 0..3, or -1 when none is chosen.
    int itemIndex() const;
    void setItemIndex(int index);

    void FormShow();
    void OkBtnClick();
    void CancelBtnClick();

    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* items[4] = {};
    QLabel* devices[4] = {};
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    Settings& settings_;
    std::function<void()> openPort_;
    std::function<QString(const QString&)> resolveDevice_;
};

} // namespace korvex
