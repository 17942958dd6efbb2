#pragma once
// Small skins made in memory for the tests: a zip of layout texts and plain-coloured images.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <map>
#include <string>

namespace uilib_test {

// The application object and the library, once per test executable.
void EnsureUi();

// A zip archive holding the given files.
QByteArray MakeZip(const std::map<std::string, QByteArray>& files);

// A PNG of one colour; with a border of another colour `border` pixels wide.
QByteArray Png(int width, int height, QColor fill, QColor borderColor = QColor(), int border = 0);

// Installs a skin of these files (kept alive for the library).
void InstallSkin(const std::map<std::string, QByteArray>& files);

// Lets queued events run for a while (real time).
void Pump(int ms = 20);

// The colour of one pixel of a widget as drawn.
QColor PixelAt(class QWidget* widget, int x, int y);

} // namespace uilib_test
