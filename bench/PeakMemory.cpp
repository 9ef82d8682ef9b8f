// The window's peak resident memory in the heaviest scenario: a whole
// 27c010 image in the grid, a full mismatch window and the hex view open.
// Prints the figure in MB alone; the benchmark reports it.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

#include "tests/support/Rig.h"

namespace {
constexpr std::uint8_t kProm27c010 = 4;
constexpr int kLargestRows = 131072;

double peakResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    Rig rig;
    rig.programmer.setRecording(false);
    rig.ready().memoryType(kProm27c010);
    rig.form().show();
    QCoreApplication::processEvents();
    rig.form().imagen.updateColumn(1, [](std::vector<QString>& texts) {
        for (int a = 0; a < kLargestRows; ++a) texts[a] = QString::number((a * 13) & 0xFF);
    });
    const QString path = folder.path() + QStringLiteral("/peak.mem");
    rig.dialogs.fileAnswers.push_back(path);
    rig.form().Guardar1->trigger();
    rig.form().BitBtn11->click();
    rig.dialogs.fileAnswers.push_back(path);
    rig.form().Abrir1->trigger();
    rig.form().Edit3->setText(QStringLiteral("07"));
    rig.click(rig.form().BitBtn9);  // every address differs: the full mismatch window
    rig.form().VistaHexadecimal1->trigger();
    QCoreApplication::processEvents();
    std::printf("%.3f\n", peakResidentMb());
    return 0;
}
