#include "views/history/ClearBrowsingDataDialog.h"

#include "views/common/ViewStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using TimeRange = BrowsingDataCleaner::TimeRange;

struct RangeChoice
{
    const char16_t *label;
    TimeRange range;
};

constexpr RangeChoice rangeChoices[] = {
    {u"過去1時間", TimeRange::lastHour},
    {u"過去24時間", TimeRange::last24Hours},
    {u"過去7日間", TimeRange::last7Days},
    {u"全期間", TimeRange::allTime},
};

// A tick box with a line under it that says what deleting costs.
QWidget *choice(QCheckBox *box, const QString &explanation)
{
    auto *widget = new QWidget;
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    box->setFont(ViewStyle::font(ViewStyle::TextStyle::body));
    auto *label = new QLabel(explanation);
    label->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    // Lined up with the box's text, not its square.
    label->setContentsMargins(box->sizeHint().height() + 4, 0, 0, 0);
    layout->addWidget(box);
    layout->addWidget(label);
    return widget;
}

} // namespace

ClearBrowsingDataDialog::ClearBrowsingDataDialog(QWebEngineProfile &profile, HistoryStore &history,
                                                 const QString &dataFolder, QWidget *parent)
    : QDialog(parent)
    , m_cleaner(profile, history, dataFolder)
    , m_range(new QComboBox)
    , m_cookies(new QCheckBox(QStringLiteral("Cookie とサイトデータ")))
    , m_cache(new QCheckBox(QStringLiteral("キャッシュされた画像とファイル")))
    , m_history(new QCheckBox(QStringLiteral("閲覧履歴")))
    , m_rangeNote(new QLabel)
    , m_clearButton(new QPushButton(QStringLiteral("削除")))
{
    setObjectName(QStringLiteral("clearBrowsingDataDialog"));
    setWindowTitle(QStringLiteral("閲覧データを削除"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(440);

    auto *title = new QLabel(QStringLiteral("閲覧データを削除"));
    title->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    m_range->setObjectName(QStringLiteral("clearDataRange"));
    for (const RangeChoice &range : rangeChoices)
        m_range->addItem(QString::fromUtf16(range.label), int(range.range));
    auto *rangeRow = new QHBoxLayout;
    rangeRow->setSpacing(8);
    auto *rangeLabel = new QLabel(QStringLiteral("期間"));
    rangeLabel->setBuddy(m_range);
    rangeRow->addWidget(rangeLabel);
    rangeRow->addWidget(m_range);
    rangeRow->addStretch(1);

    m_cookies->setObjectName(QStringLiteral("clearDataCookies"));
    m_cache->setObjectName(QStringLiteral("clearDataCache"));
    m_history->setObjectName(QStringLiteral("clearDataHistory"));
    // Cookies are what keeps the user signed in at every shop: deleting
    // them is asked for explicitly, never the default.
    m_cache->setChecked(true);
    m_history->setChecked(true);

    m_rangeNote->setObjectName(QStringLiteral("clearDataRangeNote"));
    m_rangeNote->setText(
        QStringLiteral("期間は閲覧履歴にのみ適用されます。Cookie・サイトデータとキャッシュは、"
                       "期間にかかわらずすべて削除されます。"));
    m_rangeNote->setWordWrap(true);
    m_rangeNote->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    QPalette notePalette = m_rangeNote->palette();
    notePalette.setColor(QPalette::WindowText, ViewStyle::orange().darker(115));
    m_rangeNote->setPalette(notePalette);

    auto *buttons = new QDialogButtonBox;
    QPushButton *cancel
        = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("clearDataCancelButton"));
    m_clearButton->setObjectName(QStringLiteral("clearDataButton"));
    buttons->addButton(m_clearButton, QDialogButtonBox::DestructiveRole);
    m_clearButton->setAutoDefault(false);
    cancel->setDefault(true);
    ViewStyle::makeProminent(m_clearButton, ViewStyle::red());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(14);
    layout->addWidget(title);
    layout->addLayout(rangeRow);
    layout->addWidget(
        choice(m_cookies,
               QStringLiteral("ほとんどのサイトからログアウトします。サイトに保存された"
                              "データは次回の起動時に削除されます。")));
    layout->addWidget(choice(
        m_cache, QStringLiteral("次にサイトを開くとき、表示に少し時間がかかることがあります。")));
    layout->addWidget(
        choice(m_history, QStringLiteral("通常のウインドウで表示したページの記録を削除します。")));
    layout->addWidget(m_rangeNote);
    layout->addStretch(1);
    layout->addWidget(buttons);

    connect(m_range, &QComboBox::currentIndexChanged, this, &ClearBrowsingDataDialog::updateState);
    for (QCheckBox *box : {m_cookies, m_cache, m_history})
        connect(box, &QCheckBox::toggled, this, &ClearBrowsingDataDialog::updateState);
    connect(m_clearButton, &QPushButton::clicked, this, &ClearBrowsingDataDialog::clearSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateState();
}

BrowsingDataCleaner::Kinds ClearBrowsingDataDialog::selectedKinds() const
{
    BrowsingDataCleaner::Kinds kinds;
    kinds.setFlag(BrowsingDataCleaner::Kind::cookiesAndSiteData, m_cookies->isChecked());
    kinds.setFlag(BrowsingDataCleaner::Kind::cache, m_cache->isChecked());
    kinds.setFlag(BrowsingDataCleaner::Kind::history, m_history->isChecked());
    return kinds;
}

BrowsingDataCleaner::TimeRange ClearBrowsingDataDialog::selectedRange() const
{
    return TimeRange(m_range->currentData().toInt());
}

void ClearBrowsingDataDialog::updateState()
{
    const BrowsingDataCleaner::Kinds kinds = selectedKinds();
    m_clearButton->setEnabled(kinds != BrowsingDataCleaner::Kinds());
    const bool wholeOnly = kinds.testFlag(BrowsingDataCleaner::Kind::cookiesAndSiteData)
        || kinds.testFlag(BrowsingDataCleaner::Kind::cache);
    m_rangeNote->setVisible(wholeOnly && selectedRange() != TimeRange::allTime);
}

void ClearBrowsingDataDialog::clearSelected()
{
    const BrowsingDataCleaner::Kinds kinds = selectedKinds();
    if (kinds == BrowsingDataCleaner::Kinds())
        return;
    if (!m_cleaner.clear(kinds, selectedRange())) {
        auto *failure = new QMessageBox(QMessageBox::Warning,
                                        QStringLiteral("閲覧データを削除できませんでした"),
                                        QStringLiteral("一部の閲覧データを削除できませんでした。"),
                                        QMessageBox::Ok, parentWidget());
        failure->setObjectName(QStringLiteral("clearDataFailure"));
        failure->setAttribute(Qt::WA_DeleteOnClose);
        failure->open();
    }
    accept();
}
