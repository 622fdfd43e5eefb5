#include "views/common/SaveFailureMessage.h"

#include <QMessageBox>
#include <QStringList>

void SaveFailureMessage::show(QWidget *parent, What what)
{
    const bool session = what == What::session;
    auto *box = new QMessageBox(
        QMessageBox::Warning,
        session ? QStringLiteral("開いているタブを保存できませんでした")
                : QStringLiteral("設定を保存できませんでした"),
        session
            ? QStringLiteral("開いているウィンドウとタブをディスクに保存できませんでした。"
                             "ブラウザが終了すると、次の起動時に復元されません。"
                             "ディスクの空き容量と、データフォルダへの書き込み権限を"
                             "確認してください。")
            : QStringLiteral("設定・ブックマーク・ルールの変更をディスクに保存できませんでした。"
                             "変更はブラウザを終了するまで有効です。ディスクの空き容量と、"
                             "設定フォルダへの書き込み権限を確認してください。"),
        QMessageBox::Ok, parent);
    box->setObjectName(session ? QStringLiteral("sessionNotSavedMessage")
                               : QStringLiteral("settingsNotSavedMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void SaveFailureMessage::showHistoryMovedAside(QWidget *parent, const QString &path)
{
    auto *box
        = new QMessageBox(QMessageBox::Warning, QStringLiteral("履歴を読み込めませんでした"),
                          QStringLiteral("履歴のファイルが壊れていたため、新しい履歴を始めました。"
                                         "これまでの履歴は次の場所に残してあります:\n%1")
                              .arg(path),
                          QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("historyMovedAsideMessage"));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void SaveFailureMessage::showSettingsKeptAside(QWidget *parent, const QStringList &where)
{
    QStringList places;
    for (const QString &place : where) {
        places.append(place.contains(u'/') ? place
                                           : QStringLiteral("設定ファイル内の %1").arg(place));
    }
    auto *box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("設定の一部を読み込めませんでした"),
        QStringLiteral("保存されていた設定の一部が読み取れない形式だったため、その部分には"
                       "既定の設定を使っています。元の内容は消さずに次の場所に残してあります:\n%1")
            .arg(places.join(u'\n')),
        QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("settingsKeptAsideMessage"));
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
