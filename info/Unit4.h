#pragma once

#include <QWidget>

class QLabel;

// The About window: three lines of credits and the version, always on top.
class TForm4 : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kContactAddress = "ayuda@programador.example";

    explicit TForm4(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;  // the version
};
