#pragma once

#include <QObject>

class HidLibrary;
class OperationFrame;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;

// With several programmers attached, a "Programador" menu that chooses the
// one in use and a label on the status line that names it; with one or none,
// neither shows. Rebuilt whenever programmers come and go or the choice
// changes; no other programmer may be chosen while an operation runs.
class ProgrammerMenu : public QObject {
    Q_OBJECT
  public:
    // The menu goes into the bar before `before`; label names the chosen one.
    ProgrammerMenu(QMainWindow& window, HidLibrary& hid, OperationFrame& frame, QAction* before,
                   QLabel* label);
    ~ProgrammerMenu() override;

  private:
    void rebuild();
    void removeMenu();
    void setRunning(bool running);

    QMainWindow& window_;
    HidLibrary& hid_;
    OperationFrame& frame_;
    QAction* before_;
    QMenu* menu_ = nullptr;
    QLabel* label_;
};
