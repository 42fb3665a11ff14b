#include "widgets/AboutDlg.h"

#include "Version.h"
#include "widgets/ButtonImages.h"
#include "widgets/FormFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

QImage ProductPicture() {
    QImage img = BlankImage(64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(QRectF(4, 8, 56, 48), 6, 6);
    p.setBrush(QColor(235, 235, 240));
    for (int i = 0; i < 6; ++i) {
        p.drawRect(QRectF(8 + i * 9, 11, 5, 5));
        p.drawRect(QRectF(8 + i * 9, 48, 5, 5));
    }
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(8, 19, 48, 26));
    QPainterPath spark;
    spark.moveTo(36, 20);
    spark.lineTo(24, 34);
    spark.lineTo(32, 34);
    spark.lineTo(26, 45);
    spark.lineTo(42, 29);
    spark.lineTo(33, 29);
    spark.closeSubpath();
    p.setBrush(QColor(215, 35, 35));
    p.drawPath(spark);
    return img;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont(14));
    setFixedSize(422, 249);

    Label5 = new QLabel("Vimbrel ver " VIMBREL_VERSION, this);
    Label5->setObjectName("Label5");
    QFont title;
    title.setFamilies(
        {"Impact", "Anton", "Liberation Sans Narrow", "DejaVu Sans Condensed", "DejaVu Sans"});
    title.setPixelSize(23);
    title.setBold(true);
    Label5->setFont(title);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setGeometry(84, 24, 250, 25);
    Label6 = new QLabel("Finds, plays and keeps the Flash movies of the web.", this);
    Label6->setObjectName("Label6");
    Label6->setAlignment(Qt::AlignCenter);
    Label6->setGeometry(10, 85, 399, 19);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap::fromImage(ProductPicture()));
    Image1->setGeometry(24, 16, 64, 64);
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(169, 214, 92, 30);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    setAccessibleName(windowTitle());
    setAccessibleDescription(Label5->text() + ". " + Label6->text());

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());  // centred on the screen
    }
}
