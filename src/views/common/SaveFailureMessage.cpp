#include "views/common/SaveFailureMessage.h"

#include <QMessageBox>

void SaveFailureMessage::show(QWidget *parent)
{
    auto *box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("設定を保存できませんでした"),
        QStringLiteral("設定・ブックマーク・ルールの変更をディスクに保存できませんでした。"
                       "変更はブラウザを終了するまで有効です。ディスクの空き容量と、"
                       "設定フォルダへの書き込み権限を確認してください。"),
        QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("settingsNotSavedMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
