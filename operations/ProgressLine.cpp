#include "operations/ProgressLine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "operations/OperationFrame.h"
#include "view/NumberFormat.h"

namespace {
constexpr int kBarSteps = 1000;
}  // namespace

ProgressLine::ProgressLine(OperationFrame& frame, const NumberFormat& format, QWidget* parent)
    : QWidget(parent), frame_(frame), format_(format) {
    state_ = new QLabel(this);
    bar = new QProgressBar(this);
    bar->setRange(0, kBarSteps);
    bar->setTextVisible(false);
    times_ = new QLabel(this);
    memory_ = new QLabel(this);
    runningNote_ = new QLabel(this);
    analysis_ = new QLabel(this);
    cancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelar->setEnabled(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    row->addWidget(state_, 3);
    row->addWidget(bar, 2);
    row->addWidget(times_, 2);
    row->addWidget(memory_);
    row->addWidget(runningNote_);
    row->addWidget(analysis_);
    row->addWidget(cancelar);

    connect(&frame_.progress, &Progress::changed, this, &ProgressLine::refresh);
    connect(cancelar, &QPushButton::clicked, this, [this] { frame_.requestCancel(); });
    refresh();
}

QString ProgressLine::address(std::int64_t value) const {
    return format_.show(static_cast<std::uint32_t>(value));
}

QString ProgressLine::stateText() const {
    const Progress& p = frame_.progress;
    if (!p.running() && !deviceNote_.isEmpty()) return deviceNote_;
    if (!p.running() && !note_.isEmpty()) return note_;
    if (!p.shown()) return {};
    switch (p.outcome()) {
        case Progress::Outcome::Running:
            return QStringLiteral("%1 dirección %2 de %3 a %4")
                .arg(activityName(p.activity()), address(p.current()), address(p.first()),
                     address(p.last()));
        case Progress::Outcome::Completed:
            return QStringLiteral("Terminado: %1 direcciones en %2")
                .arg(p.addresses())
                .arg(formatDuration(p.elapsedNs()));
        case Progress::Outcome::CompletedWithErrors:
            return QStringLiteral("Terminado con errores: %1 direcciones en %2")
                .arg(p.addresses())
                .arg(formatDuration(p.elapsedNs()));
        case Progress::Outcome::Interrupted:
            return QStringLiteral("Interrumpido en la dirección %1").arg(address(p.current()));
        case Progress::Outcome::DeviceLost:
            return QStringLiteral("Detenido en la dirección %1: el programador no respondió")
                .arg(address(p.current()));
        case Progress::Outcome::Stopped:
            break;
    }
    return QStringLiteral("Detenido en la dirección %1 por un error").arg(address(p.current()));
}

QString ProgressLine::timeText() const {
    const Progress& p = frame_.progress;
    if (!p.shown()) return {};
    const QString elapsed = QStringLiteral("Transcurrido %1").arg(formatDuration(p.elapsedNs()));
    if (!p.running()) return elapsed;
    const auto remaining = p.remainingNs();
    return elapsed + QStringLiteral(" · Restante ") +
           (remaining ? formatDuration(*remaining) : QStringLiteral("--:--"));
}

QString ProgressLine::memoryText() const {
    return memory_->text();
}

void ProgressLine::setMemory(const QString& caption, std::uint32_t bytes, bool hexadecimal) {
    memory_->setText(
        QStringLiteral("%1 · %2 bytes · %3")
            .arg(caption)
            .arg(bytes)
            .arg(hexadecimal ? QStringLiteral("Hexadecimal") : QStringLiteral("Decimal")));
}

void ProgressLine::setNote(const QString& note) {
    note_ = note;
    refresh();
}

void ProgressLine::setDeviceNote(const QString& note) {
    deviceNote_ = note;
    refresh();
}

void ProgressLine::setRunningNote(const QString& note) {
    runningNote_->setText(note);
    runningNote_->setAccessibleName(note);
    refresh();
}

void ProgressLine::setAnalysis(const QString& summary) {
    analysis_->setText(summary);
    analysis_->setAccessibleName(summary);
    refresh();
}

QString ProgressLine::analysisText() const {
    return analysis_->text();
}

QString ProgressLine::runningNoteText() const {
    return runningNote_->text();
}

void ProgressLine::refresh() {
    const Progress& p = frame_.progress;
    // A new operation makes the last note old.
    if (p.running()) {
        note_.clear();
        analysis_->clear();
    }
    analysis_->setVisible(!p.running() && !analysis_->text().isEmpty());
    if (!p.running()) runningNote_->clear();
    runningNote_->setVisible(p.running() && !runningNote_->text().isEmpty());
    state_->setText(stateText());
    times_->setText(timeText());
    bar->setValue(static_cast<int>(p.fraction() * kBarSteps));
    bar->setVisible(p.running());
    times_->setVisible(p.running());
    // What keeps the programmer from being used takes the whole line.
    memory_->setVisible(!p.running() && deviceNote_.isEmpty());
    cancelar->setEnabled(p.running());
}
