#include "browser/PageActionTexts.h"

#include <QAction>
#include <QWebEnginePage>

#include <utility>

namespace {

using Action = QWebEnginePage::WebAction;

// Worded as Japanese desktop browsers word them.
constexpr std::pair<Action, const char *> actionTexts[] = {
    {QWebEnginePage::Back, "戻る"},
    {QWebEnginePage::Forward, "進む"},
    {QWebEnginePage::Stop, "中止"},
    {QWebEnginePage::Reload, "再読み込み"},
    {QWebEnginePage::ReloadAndBypassCache, "キャッシュを使わずに再読み込み"},
    {QWebEnginePage::Cut, "切り取り"},
    {QWebEnginePage::Copy, "コピー"},
    {QWebEnginePage::Paste, "貼り付け"},
    {QWebEnginePage::PasteAndMatchStyle, "書式なしで貼り付け"},
    {QWebEnginePage::Undo, "元に戻す"},
    {QWebEnginePage::Redo, "やり直す"},
    {QWebEnginePage::SelectAll, "すべて選択"},
    {QWebEnginePage::Unselect, "選択を解除"},
    {QWebEnginePage::OpenLinkInThisWindow, "リンクをこのウインドウで開く"},
    {QWebEnginePage::OpenLinkInNewWindow, "リンクを新しいウインドウで開く"},
    {QWebEnginePage::OpenLinkInNewTab, "リンクを新しいタブで開く"},
    {QWebEnginePage::OpenLinkInNewBackgroundTab, "リンクを背面の新しいタブで開く"},
    {QWebEnginePage::CopyLinkToClipboard, "リンクのアドレスをコピー"},
    {QWebEnginePage::DownloadLinkToDisk, "リンク先を保存"},
    {QWebEnginePage::CopyImageToClipboard, "画像をコピー"},
    {QWebEnginePage::CopyImageUrlToClipboard, "画像のアドレスをコピー"},
    {QWebEnginePage::DownloadImageToDisk, "画像を保存"},
    {QWebEnginePage::CopyMediaUrlToClipboard, "メディアのアドレスをコピー"},
    {QWebEnginePage::ToggleMediaControls, "コントロールを表示"},
    {QWebEnginePage::ToggleMediaLoop, "ループ再生"},
    {QWebEnginePage::ToggleMediaPlayPause, "再生/一時停止"},
    {QWebEnginePage::ToggleMediaMute, "ミュート"},
    {QWebEnginePage::DownloadMediaToDisk, "メディアを保存"},
    {QWebEnginePage::InspectElement, "要素を検証"},
    {QWebEnginePage::ExitFullScreen, "全画面表示を終了"},
    {QWebEnginePage::RequestClose, "ページを閉じる"},
    {QWebEnginePage::SavePage, "ページを保存"},
    {QWebEnginePage::ViewSource, "ページのソースを表示"},
    {QWebEnginePage::ToggleBold, "太字"},
    {QWebEnginePage::ToggleItalic, "斜体"},
    {QWebEnginePage::ToggleUnderline, "下線"},
    {QWebEnginePage::ToggleStrikethrough, "取り消し線"},
    {QWebEnginePage::AlignLeft, "左揃え"},
    {QWebEnginePage::AlignCenter, "中央揃え"},
    {QWebEnginePage::AlignRight, "右揃え"},
    {QWebEnginePage::AlignJustified, "両端揃え"},
    {QWebEnginePage::Indent, "インデントを増やす"},
    {QWebEnginePage::Outdent, "インデントを減らす"},
    {QWebEnginePage::InsertOrderedList, "番号付きリスト"},
    {QWebEnginePage::InsertUnorderedList, "箇条書き"},
};

} // namespace

void PageActionTexts::apply(QWebEnginePage &page)
{
    for (const auto &[action, text] : actionTexts) {
        if (QAction *pageAction = page.action(action))
            pageAction->setText(QString::fromUtf8(text));
    }
}
