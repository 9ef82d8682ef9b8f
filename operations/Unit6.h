#pragma once

#include <QWidget>

class QLabel;

// The cancel prompt shown while a programming operation runs. It stays on top
// and takes no input: ESC is seen by the operation's own poll.
class TForm6 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm6(QWidget* parent = nullptr);

    QLabel* Label1;
};
