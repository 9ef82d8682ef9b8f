#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

#include "app/HexView.h"
#include "app/Programa.h"
#include "app/Sram.h"
#include "app/Unit3.h"
#include "device/ExclusiveLock.h"
#include "info/Unit4.h"
#include "operations/ProgressLine.h"
#include "operations/Unit6.h"
#include "tests/support/Rig.h"
#include "view/DataConversion.h"
#include "view/HexTable.h"
#include "view/Unit2.h"

namespace {
QString withoutMnemonic(QString text) {
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
        .remove(u'&')
        .replace(u'\x01', u'&');
}

// The room a push button's style leaves for its caption.
bool buttonFits(QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QRect room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    int needed = button->fontMetrics().horizontalAdvance(withoutMnemonic(button->text()));
    if (!button->icon().isNull()) needed += button->iconSize().width() + 4;
    return needed <= room.width();
}

bool labelFits(QLabel* label) {
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText) return true;
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                      -label->margin(), -label->margin());
    const QFontMetrics metrics = label->fontMetrics();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = metrics.boundingRect(room, flags, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

// Every visible caption of a window that its widget cuts.
QStringList cutCaptions(QWidget* window) {
    window->show();
    if (window->layout()) window->layout()->activate();
    QCoreApplication::processEvents();
    QStringList cut;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window)) continue;
        if (auto* button = qobject_cast<QPushButton*>(widget); button && !buttonFits(button))
            cut << button->text();
        if (auto* box = qobject_cast<QCheckBox*>(widget);
            box && box->sizeHint().width() > box->width())
            cut << box->text();
        if (auto* label = qobject_cast<QLabel*>(widget); label && !labelFits(label))
            cut << label->text();
        if (auto* group = qobject_cast<QGroupBox*>(widget);
            group && group->minimumSizeHint().width() > group->width())
            cut << group->title();
    }
    return cut;
}
}  // namespace

// Captions measured with the fonts an X server gives the program (font
// metrics against the widgets' geometry at the designed sizes).
class CaptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void noWindowCutsACaption() {
        configureApplication();
        Rig rig;
        Programa& p = *rig.programa;
        for (QWidget* window :
             {static_cast<QWidget*>(p.form1.get()), static_cast<QWidget*>(p.Form2.get()),
              static_cast<QWidget*>(p.Form3.get()), static_cast<QWidget*>(p.Form4.get()),
              static_cast<QWidget*>(p.Form6.get())}) {
            const QStringList cut = cutCaptions(window);
            QVERIFY2(cut.isEmpty(), qPrintable(window->windowTitle() + ": " + cut.join(" | ")));
            window->hide();
        }
    }

    void theStatusLineHoldsItsLongestTexts() {
        configureApplication();
        Rig rig;
        Tform1& f = rig.form();
        Progress& progress = f.marco.progress;
        const std::int64_t hours = 3'725'000'000'000;  // 1:02:05
        for (bool hexadecimal : {false, true}) {
            hexadecimal ? f.Hexadecimal1->trigger() : f.Decimal1->trigger();
            rig.memoryType(4);
            progress.start({{Progress::Activity::VerificandoBorrado, 0, 131071}}, 0);
            progress.at(131070, hours);
            QStringList cut = cutCaptions(&f);
            QVERIFY2(cut.isEmpty(), qPrintable("en curso: " + cut.join(" | ")));

            progress.finish(Progress::Outcome::DeviceLost, hours);
            cut = cutCaptions(&f);
            QVERIFY2(cut.isEmpty(), qPrintable("detenido: " + cut.join(" | ")));
            progress.finish(Progress::Outcome::CompletedWithErrors, hours);
            cut = cutCaptions(&f);
            QVERIFY2(cut.isEmpty(), qPrintable("terminado: " + cut.join(" | ")));
        }
        f.progreso->setNote(conversionNote(true, 131072));
        QStringList cut = cutCaptions(&f);
        QVERIFY2(cut.isEmpty(), qPrintable("nota: " + cut.join(" | ")));
        // What keeps the programmer from being used, with a long program name.
        for (const QString& note :
             {kQuedoAMitad, enUsoText(LockHolder{4194304, QStringLiteral("programador-virt")})}) {
            f.progreso->setDeviceNote(note);
            cut = cutCaptions(&f);
            QVERIFY2(cut.isEmpty(), qPrintable("programador: " + cut.join(" | ")));
        }
        QCOMPARE(f.width(), 775);
    }

    void theHexViewHoldsItsLongestTexts() {
        configureApplication();
        Rig rig;
        Tform1& f = rig.form();
        f.VistaHexadecimal1->trigger();
        HexView& view = *f.vistaHexadecimal();
        rig.memoryType(4);
        // The whole of the largest memory selected, a text that is no byte in it.
        f.imagen.setCell(1, 131072, QStringLiteral("300"));
        view.tabla->selectSpan(0, 131071);
        view.LlenarSeleccion->trigger();
        view.tabla->moveTo(131070, false);
        QGuiApplication::clipboard()->setText(QStringLiteral("01 02 03"));
        view.Pegar->trigger();
        view.tabla->selectSpan(0x1FFF0, 131070);
        QStringList cut = cutCaptions(&view);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(" | ")));
        view.tabla->selectSpan(0, 131071);
        cut = cutCaptions(&view);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(" | ")));
        for (const int perRow : {8, 16}) {
            view.bytesPorFila->setCurrentText(QString::number(perRow));
            view.buscar->setText(QStringLiteral("DE AD ?? EF 01 02 03"));
            view.find(true);
            cut = cutCaptions(&view);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(" | ")));
        }
    }
};

QTEST_MAIN(CaptionsTest)
#include "test_captions.moc"
