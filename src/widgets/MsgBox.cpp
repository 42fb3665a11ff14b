#include "widgets/MsgBox.h"

#include "widgets/ButtonImages.h"
#include "widgets/FormFont.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {
// A 44 x 44 notice sign: a blue disc with a white "i".
QPixmap NoticePicture() {
    QImage img = BlankImage(44);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(10, 50, 140), 2));
    p.setBrush(QColor(40, 110, 220));
    p.drawEllipse(QRectF(3, 3, 38, 38));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(19, 10, 6, 6));
    p.drawRoundedRect(QRectF(19, 19, 6, 16), 2, 2);
    return QPixmap::fromImage(img);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();  // sized to its text
    return label;
}
}  // namespace

TMsgForm::TMsgForm(QWidget* parent) : QDialog(parent) {
    setObjectName("MsgForm");
    setWindowTitle(QString());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFont(FormFont(13));
    setFixedSize(420, 159);
    move(334, 276);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(NoticePicture());
    Image1->setGeometry(8, 8, 44, 44);
    Label1 = new QLabel("You should choose flash movies at first!", this);
    Label1->setObjectName("Label1");
    Label1->setFont(FormFont(18));
    Label1->setStyleSheet("color: rgb(0, 0, 255)");
    Label1->move(80, 16);
    Label1->adjustSize();
    Label2 = MakeLabel(this, "Label2",
                       "To choose flash movies, you can Check the box in front of  ", {51, 48});
    Label3 = MakeLabel(this, "Label3", "the flash movie you want. You can also use \"Select All\"",
                       {61, 64});
    Label4 = MakeLabel(this, "Label4",
                       " to choose all the flash files and \"Deselect All\" to unselect all. ",
                       {43, 80});
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(160, 120, 100, 26);
    Button1->setDefault(true);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    // A screen reader hears the notice whole, not the lines it is set in.
    setAccessibleName(Label1->text());
    QStringList lines;
    for (QLabel* line : {Label2, Label3, Label4}) {
        lines << line->text().simplified();
    }
    setAccessibleDescription(lines.join(' '));
}
