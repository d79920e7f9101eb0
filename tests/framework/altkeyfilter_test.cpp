#include "framework/altkeyfilter.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

class AltKeyFilterTest : public QObject
{
    Q_OBJECT

private slots:
    // Regression: Alt with a letter that named no button typed the letter
    // into the field with the focus ("2e-300" became "2e-300z").
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

    // Regression: Alt+W went back to "Do", the group's field used last, and
    // Space typed a space there instead of ticking "Synchronizuj".
    void aGroupsKeyGoesToItsFirstControl()
    {
        AltKeyFilter filter;
        qApp->installEventFilter(&filter);
        QDialog dialog;
        auto* group = new QGroupBox(QStringLiteral("Zakres &wartości X"), &dialog);
        auto* sync = new QCheckBox(QStringLiteral("Synchronizuj"), group);
        auto* to = new QLineEdit(group);
        auto* inGroup = new QVBoxLayout(group);
        inGroup->addWidget(sync);
        inGroup->addWidget(to);
        auto* other = new QLineEdit(&dialog);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(group);
        layout->addWidget(other);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // "Do" was the group's last field; the user has moved on since.
        to->setFocus();
        other->setFocus();
        QTest::keyClick(other, Qt::Key_W, Qt::AltModifier);
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(sync));
        QTest::keyClick(sync, Qt::Key_Space);
        QVERIFY(sync->isChecked());
        QVERIFY(to->text().isEmpty());
    }
};

QTEST_MAIN(AltKeyFilterTest)
#include "altkeyfilter_test.moc"
