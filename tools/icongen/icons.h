// The toolbar and status icons, each drawn on a 64 x 64 grid.
#pragma once

class QPainter;

void drawPower(QPainter &p);
void drawPlay(QPainter &p);
void drawPause(QPainter &p);
void drawRecord(QPainter &p);
void drawProcessStop(QPainter &p);
void drawNewFile(QPainter &p);
void drawOpenFile(QPainter &p);
void drawSave(QPainter &p);
void drawSaveLog(QPainter &p);
void drawHardware(QPainter &p);
void drawWifiConfig(QPainter &p);
void drawStatusOk(QPainter &p);
void drawStatusProblem(QPainter &p);
void drawHelp(QPainter &p);
void drawQuestion(QPainter &p);
void drawLedGreen(QPainter &p);
void drawLedRed(QPainter &p);
void drawConnect(QPainter &p);
void drawDisconnect(QPainter &p);
void drawClear(QPainter &p);
void drawSettings(QPainter &p);
void drawTools(QPainter &p);
void drawGraphOptions(QPainter &p);
void drawMarker(QPainter &p);
