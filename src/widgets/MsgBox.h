#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The notice shown when a transfer is asked for with no movie ticked.
class TMsgForm : public QDialog {
    Q_OBJECT
  public:
    explicit TMsgForm(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Button1;
};
