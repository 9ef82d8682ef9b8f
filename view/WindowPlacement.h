#pragma once

class QWidget;

// Places a top-level window in the middle of its screen.
void centerOnScreen(QWidget* window);
