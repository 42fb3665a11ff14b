#pragma once

#include <QImage>

// A square image of the given size, all transparent, to draw a picture on.
QImage BlankImage(int size);

// The toolbar and address-bar images, drawn in code on a transparent background.
QImage SelectAllImage();    // 32 x 32: a ticked box
QImage DeselectAllImage();  // 32 x 32: an empty box
QImage DownloadImage();     // 32 x 32: an arrow down into a tray
QImage StopImage();         // 32 x 32: a red octagon with a white bar
QImage AddressImage();      // 32 x 32: a globe
QImage GoImage();           // 25 x 25: a green arrow to the right
