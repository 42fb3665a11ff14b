#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the product's picture, name and version, and a notice.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* Label5;
    QLabel* Label6;
    QLabel* Image1;
    QPushButton* OKButton;
};

// The 64 x 64 product picture: a film frame with a red spark.
QImage ProductPicture();
