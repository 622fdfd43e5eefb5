#include "subscriptions/SubscriptionListModel.h"

#include "subscriptions/SubscriptionStore.h"

using namespace Qt::StringLiterals;

namespace {

QString dateTime(const QDateTime &when)
{
    return when.toLocalTime().toString(u"yyyy/MM/dd HH:mm"_s);
}

} // namespace

SubscriptionListModel::SubscriptionListModel(SubscriptionStore &store, QObject *parent)
    : RuleListModel(parent)
    , m_store(store)
{
    connect(&m_store, &SubscriptionStore::subscriptionsChanged, this, &SubscriptionListModel::sync);
    connect(&m_store, &SubscriptionStore::updateStarted, this, &SubscriptionListModel::sync);
    connect(&m_store, &SubscriptionStore::updateFinished, this, &SubscriptionListModel::sync);
    sync();
}

void SubscriptionListModel::sync()
{
    const QList<Subscription> &records = m_store.subscriptions();
    QList<QUuid> ids;
    for (const Subscription &record : records)
        ids.append(record.id);
    showRows(ids, [this, &records] { m_records = records; });
}

QVariant SubscriptionListModel::data(const QModelIndex &index, int role) const
{
    if (!isRow(index))
        return QVariant();
    const Subscription &record = m_records.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return record.name;
    case Qt::CheckStateRole:
        return record.isEnabled ? Qt::Checked : Qt::Unchecked;
    case IdRole:
        return record.id;
    case BadgeRole:
        return record.isBuiltIn() ? u"組み込み"_s : QString();
    case DetailRole:
        return record.address.toDisplayString(QUrl::PreferLocalFile);
    case StatusRole:
        return status(record);
    case ErrorRole:
        return record.lastError;
    case RemovableRole:
        // The built-in list can only be switched off.
        return !record.isBuiltIn();
    case UpdatableRole:
        return record.isDownloaded();
    case BusyRole:
        return m_store.isUpdating(record.id);
    case ProblemsRole:
        return problems(record);
    default:
        return QVariant();
    }
}

QString SubscriptionListModel::status(const Subscription &record) const
{
    QStringList parts {u"ルール %L1件"_s.arg(record.ruleCount)};
    if (m_store.isUpdating(record.id))
        parts.append(u"更新中…"_s);
    else if (record.lastUpdated.isValid())
        parts.append((record.isDownloaded() ? u"最終更新 "_s : u"読み込み "_s)
                     + dateTime(record.lastUpdated));
    else if (record.isBuiltIn())
        parts.append(u"同梱のリストで判定中"_s);
    else
        parts.append(u"未取得"_s);
    const qsizetype skipped = record.skippedLineCount + record.publicSuffixEntries.size();
    if (skipped > 0)
        parts.append(u"読み飛ばした行 %L1"_s.arg(skipped));
    return parts.join(u"・"_s);
}

QString SubscriptionListModel::problemText(BlockList::Problem problem)
{
    switch (problem) {
    case BlockList::Problem::Malformed:
        return u"ルールの形式ではありません"_s;
    case BlockList::Problem::Unsupported:
        return u"検索結果の表示用など、ページの判定には使えないルールです"_s;
    case BlockList::Problem::InvalidRegularExpression:
        return u"正規表現に誤りがあります"_s;
    case BlockList::Problem::TooLong:
        return u"長すぎます"_s;
    case BlockList::Problem::InvalidText:
        return u"文字化けか制御文字を含みます"_s;
    case BlockList::Problem::UnblocksAnySite:
        return u"どのサイトかを問わない解除のため使いません"_s;
    }
    return QString();
}

QString SubscriptionListModel::problems(const Subscription &record)
{
    QStringList lines;
    for (const BlockList::PublicSuffixEntry &entry : record.publicSuffixEntries) {
        lines.append(
            u"%L1行目: %2 は多くのサイトが共有するドメイン (co.jp などと同じ) のため使いません"_s
                .arg(entry.line)
                .arg(entry.host));
    }
    for (const BlockList::SkippedLine &skipped : record.skippedLines)
        lines.append(u"%L1行目: %2"_s.arg(skipped.line).arg(problemText(skipped.problem)));
    if (const qsizetype unlisted = record.skippedLineCount - record.skippedLines.size();
        unlisted > 0)
        lines.append(u"ほか %L1行"_s.arg(unlisted));
    return lines.join(u'\n');
}

bool SubscriptionListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !isRow(index))
        return false;
    m_store.setEnabled(m_records.at(index.row()).id, value.toInt() == Qt::Checked);
    return true;
}

bool SubscriptionListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    bool removedAll = true;
    const QList<QUuid> removed = ids().mid(row, count);
    for (const QUuid &id : removed)
        removedAll = m_store.remove(id) && removedAll;
    return removedAll;
}
