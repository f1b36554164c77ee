// The larger pictures: logos, the application icon, device pictures and the search picture.
// Each draws onto a canvas of the size given in the image table.
#pragma once

class QPainter;

void drawLogoLarge(QPainter &p);   // 256 x 128
void drawLogoToolbar(QPainter &p); // 128 x 32
void drawAppIcon(QPainter &p);     // 256 x 256
void drawDeviceKestrova(QPainter &p); // 256 x 256
void drawDeviceVortiq(QPainter &p);   // 256 x 256, opaque
void drawSearching(QPainter &p);      // 256 x 256
