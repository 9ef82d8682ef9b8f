#pragma once

#include <QString>

// A text from a file as a message may show it: control characters written
// as \xNN, so that none breaks or hides a line of the message.
QString shownText(const QString& text);
