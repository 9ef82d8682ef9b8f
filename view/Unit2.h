#pragma once

#include <QWidget>

// The mismatch window: two texts per address side by side, the differing
// addresses marked, counted and walked.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};
