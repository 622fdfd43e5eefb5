#include "views/settings/RuleListSettingsTab.h"

#include "rules/RuleListModel.h"
#include "theme/ThemeManager.h"
#include "views/common/RuleListView.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RuleListSettingsTab::RuleListSettingsTab(ThemeManager &themeManager, const Texts &texts,
                                         RuleListModel *model, const RuleRowDelegate::Look &look,
                                         QWidget *parent)
    : QWidget(parent)
    , m_themeManager(themeManager)
    , m_titleFormat(texts.titleFormat)
    , m_model(model)
    , m_delegate(new RuleRowDelegate(look, this))
    , m_titleLabel(new QLabel)
    , m_addButton(new QPushButton(texts.addButtonText))
    , m_list(new RuleListView)
    , m_layout(new QVBoxLayout(this))
{
    setObjectName(texts.objectName);
    m_model->setParent(this);

    m_titleLabel->setObjectName(texts.listName + QStringLiteral("Title"));
    m_titleLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    auto *caption = new QLabel(texts.caption);
    caption->setObjectName(texts.listName + QStringLiteral("Caption"));
    caption->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    caption->setForegroundRole(QPalette::PlaceholderText);
    caption->setWordWrap(true);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(m_titleLabel);
    titles->addWidget(caption);

    m_addButton->setObjectName(texts.addButtonName);
    m_addButton->setAutoDefault(false);
    m_addButton->setCursor(Qt::PointingHandCursor);

    auto *header = new QHBoxLayout;
    header->addLayout(titles, 1);
    header->addWidget(m_addButton, 0, Qt::AlignVCenter);

    m_list->setObjectName(texts.listName);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(12);
    m_layout->addLayout(header);
    m_layout->addWidget(m_list, 1);

    // After the click that asked for it has been handled: the row goes away.
    connect(m_delegate, &RuleRowDelegate::removeRequested, this, &RuleListSettingsTab::removeRule,
            Qt::QueuedConnection);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &RuleListSettingsTab::updateTitle);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &RuleListSettingsTab::updateTitle);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RuleListSettingsTab::updateTitle);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &RuleListSettingsTab::applyTheme);
    updateTitle();
    applyTheme();
}

void RuleListSettingsTab::removeRule(const QUuid &id)
{
    if (const QModelIndex index = m_model->indexOf(id); index.isValid())
        m_model->removeRows(index.row(), 1);
}

void RuleListSettingsTab::updateTitle()
{
    m_titleLabel->setText(m_titleFormat.arg(m_model->rowCount()));
}

void RuleListSettingsTab::applyTheme()
{
    const QColor accent = accentColor(m_themeManager.currentTheme());
    const QColor text = textOnAccent(accent);
    ViewStyle::makeProminent(m_addButton, accent);
    m_addButton->setIcon(SymbolIcon::icon(QStringLiteral("plus"), text, 14));
    m_delegate->setSwitchColor(accent);
    m_list->viewport()->update();
}
