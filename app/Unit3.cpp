#include "app/Unit3.h"

#include <QLabel>
#include <QPixmap>

#include "view/WindowLook.h"

namespace {
constexpr int kWidth = 644;
constexpr int kHeight = 232;
constexpr int kPictureWidth = 649;
constexpr int kPictureHeight = 289;
constexpr int kLetterPixels = 37;

QLabel* splashLine(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setFont(
        designFont(QStringLiteral("Comic Sans MS"), kLetterPixels, true, true, QFont::Cursive));
    label->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    label->move(left, top);
    label->adjustSize();
    return label;
}
}  // namespace

// The splash picture lives in this static library's resources.
static void loadSplashResources() {
    Q_INIT_RESOURCE(resources);
}

TForm3::TForm3() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setFixedSize(kWidth, kHeight);
    loadSplashResources();
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, kPictureWidth, kPictureHeight);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/splash/cielo.jpg")));
    Label1 = splashLine(this, QStringLiteral("PROGRAMADOR DE MEMORIAS "), 24, 32);
    Label2 = splashLine(this, QStringLiteral("DESARROLLADO POR:"), 128, 88);
    Label3 = splashLine(this, QStringLiteral("TEODORO VELAR  "), 160, 138);
    Label4 = splashLine(this, QStringLiteral("2009 POR PUERTO USB.  "), 92, 190);
    Timer1.setInterval(kShowMs);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
    centerOnScreen(this);
    FormCreate();
}

void TForm3::FormCreate() {
    Timer1.start();
}

void TForm3::Timer1Timer() {
    hide();
    if (mainWindow_) mainWindow_->show();
    Timer1.stop();
}
