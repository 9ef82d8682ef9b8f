#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

// The splash window: shown first, it hands over to the main window after 3 s.
class TForm3 : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kShowMs = 3000;

    TForm3();

    void FormCreate();
    void Timer1Timer();
    // The window shown when the splash ends.
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QTimer Timer1;

  private:
    QWidget* mainWindow_ = nullptr;
};
