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
            texts.append(action->text().section(u'(', 0, 0).section(u'\t', 0, 0));
        texts.removeAll(QString());
        QCOMPARE(texts,
                 (QStringList {u"元に戻す"_s, u"やり直す"_s, u"切り取り"_s, u"コピー"_s,
                               u"貼り付け"_s, u"削除"_s, u"すべてを選択"_s}));
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
    }
};

QTEST_MAIN(TestJapaneseTranslations)
#include "tst_japanesetranslations.moc"
