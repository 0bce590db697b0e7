// What the program says about itself: on its pages, in the about box and
// in the examples of the main window.
#pragma once

#include <QString>

namespace about {

inline const QString product = QStringLiteral("Ｋａｍｅｒｉｏ");
inline const QString version = QStringLiteral("1.34");
inline const QString buildDate = QStringLiteral("2004/12/28");
inline const QString homePage = QStringLiteral("http://kamerio.example.jp/");
inline const QString mail = QStringLiteral("info@kamerio.example.jp");
inline const QString exampleBackground = QStringLiteral("http://kamerio.example.jp/images/kabe.gif");

} // namespace about
