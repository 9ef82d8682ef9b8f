#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Places a top-level window in the middle of its screen.
void centerOnScreen(QWidget* window);

// A font as the windows were designed with it; where the family is missing
// the system's face of the same kind stands in.
QFont designFont(const QString& family, int pixels, bool bold, bool italic = false,
                 QFont::StyleHint kind = QFont::SansSerif);

// The font, made smaller pixel by pixel only as far as the text needs to fit
// the width.
QFont shrunkToFit(const QFont& font, const QString& text, int width);

// Keeps a widget's bottom edge as far from its parent's bottom as it is now:
// a taller window gives the widget the new height.
void keepBottomMargin(QWidget* widget);
// Moves a widget with its parent's bottom edge.
void keepAtBottom(QWidget* widget);
