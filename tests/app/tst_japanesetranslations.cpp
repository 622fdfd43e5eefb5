#include "app/JapaneseTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Qt's own widgets speak Japanese once the translation is installed: the
// menu of every text field (the search box) and the standard dialog buttons.
class TestJapaneseTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtWidgetsSpeakJapanese()
    {
        QVERIFY(JapaneseTranslations::install(*QCoreApplication::instance()));
        QLineEdit field(u"MacBook"_s);
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->text());
        QVERIFY2(texts.join(u' ').contains(u"貼り付け"_s), qPrintable(texts.join(u' ')));
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
    }
};

QTEST_MAIN(TestJapaneseTranslations)
#include "tst_japanesetranslations.moc"
