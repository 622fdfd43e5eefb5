#include "views/common/SaveFailureMessage.h"

#include <QMessageBox>

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
