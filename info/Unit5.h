#pragma once

#include <QWidget>

class QPlainTextEdit;

// The Help window: the help document, read-only and scrollable; ESC closes it.
class TForm5 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm5(QWidget* parent = nullptr);

    QPlainTextEdit* OleContainer1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};
