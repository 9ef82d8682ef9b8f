#pragma once

class QWidget;

// A second window opens beside the main one, not over it: to its right when
// the screen has room, else to its left, else over its right half. The
// first time only; after that it stays where the user put it.
void placeBeside(QWidget& window, const QWidget& main);
