// TPictureForm: the wiring picture shown before the preheat energy test, with "测试"/"取消".
#pragma once

#include <QtCore/QByteArray>
#include <QtWidgets/QDialog>

class QLabel;
class QPushButton;

namespace korvex {

class TPictureForm : public QDialog {
    Q_OBJECT
  public:
    /// Decodes the picture held in the program's resources.
    explicit TPictureForm(QWidget* parent = nullptr);
    /// Decodes the given JPEG bytes; damaged bytes leave the dialog without its picture.
    explicit TPictureForm(const QByteArray& jpeg, QWidget* parent = nullptr);

    /// True when the picture decoded cleanly and is shown.
    bool hasPicture() const { return hasPicture_; }

    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* TestBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    static QByteArray wiringJpeg();

  private:
    bool hasPicture_ = false;
};

} // namespace korvex
