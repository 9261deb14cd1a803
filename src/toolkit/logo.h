#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The suite's logo, drawn by the program at the size a window asks for.
QPixmap make_logo(QSize size, const QString &caption = QStringLiteral("TRACKORA"));
