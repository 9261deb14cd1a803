#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The suite's logo, drawn by the program for a box of the given size: as
// large as the box allows with its own proportions kept, centred, never cut.
// A wide box gets the banner (emblem beside the name), a tall one the
// emblem above the name. Around it the picture is transparent.
QPixmap make_logo(QSize size, const QString &caption = QStringLiteral("TRACKORA"));
