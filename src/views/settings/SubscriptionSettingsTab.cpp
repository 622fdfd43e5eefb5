#include "views/settings/SubscriptionSettingsTab.h"

#include "rules/SecurityRuleStore.h"
#include "subscriptions/SubscriptionListModel.h"
#include "subscriptions/SubscriptionStore.h"
#include "views/common/RuleListView.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"
#include "views/settings/AddSubscriptionSheet.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QPushButton *actionButton(const QString &text, const QString &name)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

const QString listFileFilter = u"uBlacklist のリスト (*.txt);;すべてのファイル (*)"_s;

} // namespace

SubscriptionSettingsTab::SubscriptionSettingsTab(SubscriptionStore &store,
                                                 SecurityRuleStore &ruleStore,
                                                 ThemeManager &themeManager, QWidget *parent)
    : RuleListSettingsTab(
        themeManager,
        {.objectName = u"subscriptionSettingsTab"_s,
         .listName = u"subscriptionList"_s,
         .titleFormat = u"購読中のブロックリスト (%1件)"_s,
         .caption = u"詐欺サイトの報告リスト (uBlacklist 形式) を購読し、開くページをすべて"
                    u"照合します。リストは24時間ごとに更新されます。"_s,
         .addButtonName = u"addSubscriptionButton"_s,
         .addButtonText = u"リストを購読"_s},
        new SubscriptionListModel(store),
        {.title = ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold),
         .note = ViewStyle::font(ViewStyle::TextStyle::caption),
         .detail = ViewStyle::monospaceFont(10),
         .badge = standardBlue()},
        parent)
    , m_store(store)
    , m_ruleStore(ruleStore)
    , m_sheet(new AddSubscriptionSheet(store, themeManager, this))
    , m_progress(new QProgressBar)
    , m_progressLabel(new QLabel)
    , m_problems(new QPlainTextEdit)
{
    setAcceptDrops(true);
    // Rows differ in height: an error adds a line.
    listView()->setUniformItemSizes(false);
    listView()->setSelectionMode(QAbstractItemView::SingleSelection);

    m_progressLabel->setObjectName(u"subscriptionUpdateLabel"_s);
    m_progressLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_progress->setObjectName(u"subscriptionUpdateProgress"_s);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(6);
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progressLabel);
    progressRow->addWidget(m_progress, 1);
    m_progressLabel->hide();
    m_progress->hide();

    m_problems->setObjectName(u"subscriptionProblems"_s);
    m_problems->setReadOnly(true);
    m_problems->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_problems->setPlaceholderText(u"リストを選ぶと、読み飛ばした行をここに表示します。"_s);
    m_problems->setFixedHeight(72);

    QPushButton *updateAll = actionButton(u"すべて今すぐ更新"_s, u"updateAllButton"_s);
    QPushButton *importList = actionButton(u"ファイルから読み込む…"_s, u"importListButton"_s);
    QPushButton *exportPatterns
        = actionButton(u"除外パターンを書き出す…"_s, u"exportPatternsButton"_s);
    auto *actions = new QHBoxLayout;
    actions->setSpacing(8);
    actions->addWidget(updateAll);
    actions->addWidget(importList);
    actions->addStretch(1);
    actions->addWidget(exportPatterns);

    tabLayout()->setSpacing(8);
    tabLayout()->addLayout(progressRow);
    tabLayout()->addWidget(m_problems);
    tabLayout()->addLayout(actions);

    connect(addButton(), &QPushButton::clicked, m_sheet, &QDialog::open);
    connect(updateAll, &QPushButton::clicked, &m_store, &SubscriptionStore::updateAll);
    connect(importList, &QPushButton::clicked, this, &SubscriptionSettingsTab::chooseImportFile);
    connect(exportPatterns, &QPushButton::clicked, this,
            &SubscriptionSettingsTab::chooseExportFile);
    connect(rowDelegate(), &RuleRowDelegate::updateRequested, &m_store, &SubscriptionStore::update);
    connect(listView()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SubscriptionSettingsTab::showProblems);
    connect(model(), &QAbstractItemModel::dataChanged, this,
            &SubscriptionSettingsTab::showProblems);
    connect(&m_store, &SubscriptionStore::updateStarted, this,
            &SubscriptionSettingsTab::updateStarted);
    connect(&m_store, &SubscriptionStore::updateFinished, this,
            &SubscriptionSettingsTab::updateFinished);
    // Updates already running when the tab opens count too.
    for (const Subscription &record : m_store.subscriptions()) {
        if (m_store.isUpdating(record.id))
            updateStarted(record.id);
    }
}

void SubscriptionSettingsTab::updateStarted(const QUuid &id)
{
    if (m_running.contains(id))
        return;
    m_running.insert(id);
    ++m_roundTotal;
    showProgress();
}

void SubscriptionSettingsTab::updateFinished(const QUuid &id)
{
    m_running.remove(id);
    showProgress();
}

void SubscriptionSettingsTab::showProgress()
{
    if (m_running.isEmpty()) {
        m_roundTotal = 0;
        m_progress->hide();
        m_progressLabel->hide();
        return;
    }
    const int done = m_roundTotal - int(m_running.size());
    m_progress->setRange(0, m_roundTotal);
    m_progress->setValue(done);
    m_progressLabel->setText(u"リストを更新中… (%1/%2)"_s.arg(done).arg(m_roundTotal));
    m_progress->show();
    m_progressLabel->show();
}

void SubscriptionSettingsTab::showProblems()
{
    const QModelIndex current = listView()->currentIndex();
    if (!current.isValid()) {
        m_problems->clear();
        return;
    }
    const QString problems = current.data(RuleListModel::ProblemsRole).toString();
    const QString text = problems.isEmpty()
        ? u"「%1」に読み飛ばした行はありません。"_s.arg(current.data().toString())
        : u"「%1」で読み飛ばした行:\n"_s.arg(current.data().toString()) + problems;
    if (m_problems->toPlainText() != text)
        m_problems->setPlainText(text);
}

void SubscriptionSettingsTab::removeRule(const QUuid &id)
{
    const std::optional<Subscription> record = m_store.subscription(id);
    if (!record)
        return;
    auto *confirmation = new QMessageBox(this);
    confirmation->setObjectName(u"removeSubscriptionConfirmation"_s);
    confirmation->setAttribute(Qt::WA_DeleteOnClose);
    confirmation->setWindowModality(Qt::WindowModal);
    confirmation->setIcon(QMessageBox::Warning);
    const QString question = u"「%1」の購読をやめますか？"_s.arg(record->name);
    confirmation->setWindowTitle(question);
    // The name may come from the list's own title line: shown as written.
    confirmation->setTextFormat(Qt::PlainText);
    confirmation->setText(question);
    confirmation->setInformativeText(u"このリストによる判定をやめ、保存したリストも削除します。"_s);
    QPushButton *remove = confirmation->addButton(u"購読をやめる"_s, QMessageBox::DestructiveRole);
    remove->setObjectName(u"removeSubscriptionConfirmButton"_s);
    QPushButton *cancel = confirmation->addButton(u"キャンセル"_s, QMessageBox::RejectRole);
    cancel->setObjectName(u"removeSubscriptionCancelButton"_s);
    // A stray Return must not drop a list.
    confirmation->setDefaultButton(cancel);
    confirmation->setEscapeButton(cancel);
    connect(confirmation, &QMessageBox::buttonClicked, this,
            [this, remove, id](QAbstractButton *button) {
                if (button == remove)
                    RuleListSettingsTab::removeRule(id);
            });
    confirmation->open();
}

void SubscriptionSettingsTab::importFiles(const QStringList &paths)
{
    QStringList refusals;
    QUuid last;
    for (const QString &path : paths) {
        const SubscriptionStore::Outcome outcome = m_store.importFile(path);
        if (outcome.succeeded())
            last = outcome.id;
        else
            refusals.append(outcome.error);
    }
    if (const QModelIndex added = model()->indexOf(last); added.isValid()) {
        listView()->setCurrentIndex(added);
        listView()->scrollTo(added);
    }
    if (!refusals.isEmpty())
        showMessage(u"importRefusal"_s, u"リストを読み込めませんでした。"_s, refusals.join(u'\n'),
                    true);
}

void SubscriptionSettingsTab::exportPatterns(const QString &path)
{
    // The patterns that judge now, as the user keeps them.
    QStringList patterns;
    for (const ExcludedPattern &pattern : m_ruleStore.excludedPatterns()) {
        if (pattern.isEnabled)
            patterns.append(pattern.pattern);
    }
    const SubscriptionStore::ExportResult result
        = SubscriptionStore::exportPatterns(path, patterns);
    if (!result.error.isEmpty()) {
        showMessage(u"exportResult"_s, u"書き出せませんでした。"_s, result.error, true);
        return;
    }
    QString details;
    if (!result.leftOut.isEmpty()) {
        details = u"リストの形式で書けない次のパターンは含めていません:\n"_s
            + result.leftOut.join(u'\n');
    }
    showMessage(
        u"exportResult"_s,
        u"除外パターン %1件を書き出しました。"_s.arg(patterns.size() - result.leftOut.size()),
        details, false);
}

void SubscriptionSettingsTab::showMessage(const QString &name, const QString &text,
                                          const QString &details, bool warning)
{
    auto *message = new QMessageBox(this);
    message->setObjectName(name);
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->setWindowModality(Qt::WindowModal);
    message->setIcon(warning ? QMessageBox::Warning : QMessageBox::Information);
    message->setWindowTitle(text);
    // Details name lists and files as they were written, never as markup;
    // the box's second label would read markup, so both go in the first.
    message->setTextFormat(Qt::PlainText);
    message->setText(details.isEmpty() ? text : text + u"\n\n"_s + details);
    message->addButton(u"OK"_s, QMessageBox::AcceptRole);
    message->open();
}

void SubscriptionSettingsTab::chooseImportFile()
{
    auto *dialog
        = new QFileDialog(this, u"リストのファイルを読み込む"_s, QString(), listFileFilter);
    dialog->setObjectName(u"importListDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    connect(dialog, &QFileDialog::filesSelected, this, &SubscriptionSettingsTab::importFiles);
    dialog->open();
}

void SubscriptionSettingsTab::chooseExportFile()
{
    auto *dialog = new QFileDialog(this, u"除外パターンを書き出す"_s, QString(), listFileFilter);
    dialog->setObjectName(u"exportPatternsDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(u"txt"_s);
    dialog->selectFile(u"velmora-除外パターン.txt"_s);
    connect(dialog, &QFileDialog::fileSelected, this, &SubscriptionSettingsTab::exportPatterns);
    dialog->open();
}

QStringList SubscriptionSettingsTab::localFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}

void SubscriptionSettingsTab::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void SubscriptionSettingsTab::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    importFiles(paths);
}
