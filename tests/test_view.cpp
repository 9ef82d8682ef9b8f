#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>

#include "tests/support/RecordingDialogs.h"
#include "view/AddressGridModel.h"
#include "view/Errors.h"
#include "view/KeyFilter.h"
#include "view/NumberFormat.h"
#include "view/WindowLook.h"
#include "view/conversiones.h"

namespace {
QString conversionFailure(const std::function<void()>& convert) {
    try {
        convert();
    } catch (const ConversionError& error) {
        return error.text();
    }
    return QStringLiteral("converted");
}
}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void numhexWritesUpperCaseWithoutLeadingZeros() {
        QCOMPARE(numhex(0), QStringLiteral("0"));
        QCOMPARE(numhex(10), QStringLiteral("A"));
        QCOMPARE(numhex(255), QStringLiteral("FF"));
        QCOMPARE(numhex(256), QStringLiteral("100"));
        QCOMPARE(numhex(4096), QStringLiteral("1000"));
        QCOMPARE(numhex(0x1FFFF), QStringLiteral("1FFFF"));
        QCOMPARE(numhex(0xFFFFFFFFu), QStringLiteral("FFFFFFFF"));
    }

    void hexnumReadsEightSignificantDigits() {
        QCOMPARE(hexnum("ff"), 255);
        QCOMPARE(hexnum("000000FF"), 255);
        QCOMPARE(hexnum("0000000000ff"), 255);
        QCOMPARE(hexnum("7FFFFFFF"), 2147483647);
        QCOMPARE(hexnum("FFFFFFFF"), -1);
        QCOMPARE(hexnum("80000000"), std::numeric_limits<std::int32_t>::min());
        QCOMPARE(conversionFailure([] { hexnum(""); }),
                 QStringLiteral("''$'' is not a valid integer value"));
        QCOMPARE(conversionFailure([] { hexnum("1 2"); }),
                 QStringLiteral("''$1 2'' is not a valid integer value"));
        QCOMPARE(conversionFailure([] { hexnum("123456789"); }),
                 QStringLiteral("''$123456789'' is not a valid integer value"));
        QCOMPARE(conversionFailure([] { hexnum("-1"); }),
                 QStringLiteral("''$-1'' is not a valid integer value"));
        QCOMPARE(conversionFailure([] { hexnum("G"); }),
                 QStringLiteral("''$G'' is not a valid integer value"));
    }

    void decimalConversionTakesBlanksSignAndRange() {
        QCOMPARE(decimalToInt("0"), 0);
        QCOMPARE(decimalToInt("  42"), 42);
        QCOMPARE(decimalToInt("+7"), 7);
        QCOMPARE(decimalToInt("007"), 7);
        QCOMPARE(decimalToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
        QCOMPARE(decimalToInt("2147483647"), 2147483647);
        for (const char* bad : {"", " ", "-", "2147483648", "-2147483649", "1A", "12 ", "$FF",
                                "99999999999999999999"})
            QCOMPARE(conversionFailure([bad] { decimalToInt(QString::fromLatin1(bad)); }),
                     QStringLiteral("''%1'' is not a valid integer value")
                         .arg(QString::fromLatin1(bad)));
    }

    void standardErrorBoxFullStop() {
        QCOMPARE(withFullStop("''$'' is not a valid integer value"),
                 QStringLiteral("''$'' is not a valid integer value."));
        QCOMPARE(withFullStop("Hecho."), QStringLiteral("Hecho."));
        QCOMPARE(withFullStop("abc-"), QStringLiteral("abc-"));
        QCOMPARE(withFullStop(""), QString());
    }

    void keyDecisionPerFormat() {
        QCOMPARE(filterKey(u'7', 0), std::optional<char16_t>(u'7'));
        QCOMPARE(filterKey(8, 0), std::optional<char16_t>(8));
        for (char16_t refused : {u'A', u'a', u'-', u'+', u' ', u'$', u'\r', u'\x1b', u'\x16', u'é'})
            QVERIFY(!filterKey(refused, 0));
        QCOMPARE(filterKey(u'a', 1), std::optional<char16_t>(u'A'));
        QCOMPARE(filterKey(u'F', 1), std::optional<char16_t>(u'F'));
        QVERIFY(!filterKey(u'g', 1));
        QVERIFY(!filterKey(u'G', 1));
        QVERIFY(!filterKey(0x141, 1));
        // Only a format of exactly 1 is hexadecimal for the filter.
        QVERIFY(!filterKey(u'A', 2));
    }

    void keyFilterOnAnEdit() {
        RecordingDialogs dialogs;
        NumberFormat format;
        KeyFilter filter(dialogs, format);
        QLineEdit edit(QStringLiteral("0"));
        filter.watch(&edit);
        edit.setFocus();
        edit.end(false);
        QTest::keyClicks(&edit, "12");
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("012"));
        QCOMPARE(dialogs.messages, QStringList{kCaracterInvalido});
        format.hexa = 1;
        QTest::keyClick(&edit, Qt::Key_A);
        QTest::keyClick(&edit, Qt::Key_G);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.text(), QStringLiteral("01"));
        QCOMPARE(dialogs.messages.size(), 2);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(dialogs.messages.size(), 3);
        filter.setEscapePasses(true);
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(dialogs.messages.size(), 3);
    }

    void headerRowInTheGridsFontWhereItFits() {
        NumberFormat format;
        AddressGridModel model(format, 2, 16);
        model.setCell(0, 0, QStringLiteral("      DIRECCION"));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(),
                 QColor(Qt::red));
        const QFont grid = designFont(QStringLiteral("MS Sans Serif"), 13, true);
        QCOMPARE(shrunkToFit(grid, QStringLiteral("      DIRECCION"), 136).pixelSize(), 13);
        const QString wide = QStringLiteral("DATO PROGRAMA");
        const QFont fitted = shrunkToFit(grid, wide, 80);
        QVERIFY(fitted.pixelSize() < 13 && fitted.bold());
        QVERIFY(QFontMetrics(fitted).horizontalAdvance(wide) <= 80);
    }

    void gridModelKeepsTextsPastTheLastAddress() {
        NumberFormat format;
        AddressGridModel model(format, 2, 131072);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.organiza(8191);
        QCOMPARE(model.gridRows(), 8193);
        QCOMPARE(model.rowCount(), 8192);
        model.setCell(1, 8192, QStringLiteral("last"));
        model.setCell(1, 1, QStringLiteral("first"));
        model.organiza(1023);
        QCOMPARE(model.gridRows(), 1025);
        QCOMPARE(model.cell(1, 8192), QStringLiteral("last"));
        format.hexa = 1;
        model.organiza(131071);
        QCOMPARE(model.cell(0, 131072), QStringLiteral("1FFFF"));
        QCOMPARE(model.cell(0, 1), QStringLiteral("0"));
        QCOMPARE(model.data(model.index(8191, 1), Qt::DisplayRole).toString(),
                 QStringLiteral("last"));
        // The address column is not editable; data cells are.
        QVERIFY(!model.setData(model.index(0, 0), "9", Qt::EditRole));
        QVERIFY(model.setData(model.index(2, 1), "AB", Qt::EditRole));
        QCOMPARE(model.cell(1, 3), QStringLiteral("AB"));
        model.clearColumn(1, 0, 2);
        QCOMPARE(model.cell(1, 1), QString());
        QCOMPARE(model.cell(1, 3), QStringLiteral("AB"));
        // Rows beyond the largest type still hold what a long file brings.
        model.setCell(1, 200000, QStringLiteral("far"));
        QCOMPARE(model.cell(1, 200000), QStringLiteral("far"));
    }
};

QTEST_MAIN(ViewTest)
#include "test_view.moc"
