#include "framework/altkeyfilter.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

// Regression: Alt with a letter that named no button typed the letter into
// the field with the focus ("2e-300" became "2e-300z").
class AltKeyFilterTest : public QObject
{
    Q_OBJECT

private slots:
    void altLettersAreKeysNotText()
    {
        AltKeyFilter filter;
        qApp->installEventFilter(&filter);
        QDialog dialog;
        auto* line = new QLineEdit(QStringLiteral("2e-300"), &dialog);
        auto* text = new QTextEdit(&dialog);
        auto* apply = new QPushButton(QStringLiteral("&Zastosuj"), &dialog);
        int applied = 0;
        connect(apply, &QPushButton::clicked, [&applied] { ++applied; });
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(line);
        layout->addWidget(text);
        layout->addWidget(apply);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        for (QWidget* field : {static_cast<QWidget*>(line), static_cast<QWidget*>(text)}) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_End);
            QTest::keyClick(field, Qt::Key_Q, Qt::AltModifier); // nobody's key
            QTest::keyClicks(field, QStringLiteral("xY"));
        }
        QCOMPARE(line->text(), QStringLiteral("2e-300xY"));
        QCOMPARE(text->toPlainText(), QStringLiteral("xY"));
        // A letter that names a button still presses it, and types nothing.
        line->setFocus();
        QTest::keyClick(line, Qt::Key_Z, Qt::AltModifier);
        QTRY_COMPARE(applied, 1);
        QCOMPARE(line->text(), QStringLiteral("2e-300xY"));
    }
};

QTEST_MAIN(AltKeyFilterTest)
#include "altkeyfilter_test.moc"
