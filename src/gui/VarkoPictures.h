#pragma once
// The main window's pictures, drawn when first needed: the logo, the two switch pictures and
// the button pictures.
#include <QIcon>
#include <QPixmap>

namespace VarkoPictures {
QPixmap logo();
QPixmap switchOff();
QPixmap switchOn();
QIcon select();
QIcon search();
QIcon stop();
QIcon settings();
QIcon replace();
QIcon history();
QIcon expandVertical();
}  // namespace VarkoPictures
