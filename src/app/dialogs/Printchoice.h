// TPrintForm: the modal choice of the pages to print (the current one or any tested ones).
#pragma once

#include <cstdint>

#include <QtWidgets/QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace korvex {

class TPrintForm : public QDialog {
    Q_OBJECT
  public:
    /// selection: the six print flags in test-kind order; currentTest: the kind on screen.
    TPrintForm(int32_t (&selection)[6], const int32_t& currentTest, QWidget* parent = nullptr);

    QGroupBox* PrintGroup = nullptr;
    QRadioButton* CurrentItem = nullptr; // "当前测试页面"
    QRadioButton* AllItem = nullptr;     // "所有已测试页面"
    QGroupBox* AllFaceBox = nullptr;
    QCheckBox* boxes[6] = {}; // InputBox .. FilaBox
    QPushButton* OkBtn = nullptr;

    void FormShow();
    void PrintGroupClick() const;
    void OkBtnClick();

  public slots:
    void reject() override; // only the OK button leaves the dialog

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    int32_t (&selection_)[6];
    const int32_t& currentTest_;
};

} // namespace korvex
