#include "views/search/SearchBarView.h"

#include "rules/SearchFilterMode.h"
#include "rules/SecurityRuleStore.h"
#include "safety/WebAddress.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int engineMenuWidth = 250;
constexpr int filterMenuWidth = 170;
constexpr int shopMenuWidth = 150;
constexpr int menuIconSize = 16;
constexpr int querySymbolSize = 16;
constexpr int buttonIconSize = 14;
constexpr int captionSymbolSize = 11;
constexpr int minimumDescriptionWidth = 260;
constexpr int maxChipTextWidth = 140;

QString queryPlaceholder(SearchTargetEngine engine)
{
    switch (engine) {
    case SearchTargetEngine::googleShopping:
        return QString::fromUtf8("Googleショッピングで商品・ショップ・最安値を検索 (詐欺除外)...");
    case SearchTargetEngine::googleWeb:
        return QString::fromUtf8("Web全体を安心検索 (悪質サイト除外)...");
    }
    return {};
}

QString querySymbolName(SearchTargetEngine engine)
{
    return engine == SearchTargetEngine::googleWeb ? QStringLiteral("magnifyingglass")
                                                   : QStringLiteral("cart.badge.questionmark");
}

QString labelStyle(const QColor &color)
{
    return QStringLiteral("QLabel { color: %1; }").arg(ViewStyle::rgba(color));
}

// The menus have fixed widths that the longer Japanese rows exceed: the
// closed menu ends its text with "…" instead of cutting a character in half,
// and the full text is in the tooltip and the open menu.
class ElidingComboBox final : public QComboBox
{
public:
    explicit ElidingComboBox(QWidget *parent)
        : QComboBox(parent)
    {
        connect(this, &QComboBox::currentTextChanged, this,
                [this](const QString &text) { setToolTip(text); });
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        Q_UNUSED(event)
        QStylePainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        int textWidth = field.width() - 2;
        if (!option.currentIcon.isNull())
            textWidth -= option.iconSize.width() + 4;
        option.currentText
            = fontMetrics().elidedText(option.currentText, Qt::ElideRight, qMax(0, textWidth));
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

} // namespace

SearchBarView::SearchBarView(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                             QWidget *parent)
    : QWidget(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
{
    setObjectName(QStringLiteral("searchBar"));
    // The window colour runs under the whole strip, edge to edge.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(12, 8, 12, 8);
    rows->setSpacing(8);
    rows->addWidget(buildMenuRow());
    rows->addWidget(buildQueryRow());
    rows->addWidget(buildModeRow());

    connect(&m_ruleStore, &SecurityRuleStore::searchEngineChanged, this,
            &SearchBarView::showEngine);
    connect(&m_ruleStore, &SecurityRuleStore::filterModeChanged, this,
            &SearchBarView::showFilterMode);
    connect(&m_ruleStore, &SecurityRuleStore::trustedShopsChanged, this, &SearchBarView::showShops);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &SearchBarView::restyle);

    restyle();
    showEngine();
    showFilterMode();
    showShops();
    showClearButton();
}

QWidget *SearchBarView::buildMenuRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    m_engineMenu = new ElidingComboBox(row);
    m_engineMenu->setObjectName(QStringLiteral("engineMenu"));
    m_engineMenu->setFixedWidth(engineMenuWidth);
    for (const SearchTargetEngine engine : allSearchTargetEngines())
        m_engineMenu->addItem(displayName(engine), rawValue(engine));
    connect(m_engineMenu, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (const auto engine
            = searchTargetEngineFromRawValue(m_engineMenu->itemData(index).toString()))
            m_ruleStore.setSearchEngine(*engine);
    });

    m_filterMenu = new ElidingComboBox(row);
    m_filterMenu->setObjectName(QStringLiteral("filterMenu"));
    m_filterMenu->setFixedWidth(filterMenuWidth);
    for (const SearchFilterMode mode : allSearchFilterModes())
        m_filterMenu->addItem(displayName(mode), rawValue(mode));
    connect(m_filterMenu, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (const auto mode
            = searchFilterModeFromRawValue(m_filterMenu->itemData(index).toString()))
            m_ruleStore.setFilterMode(*mode);
    });

    m_shopMenuBox = new QWidget(row);
    m_shopMenuBox->setObjectName(QStringLiteral("shopMenuBox"));
    auto *shopLayout = new QHBoxLayout(m_shopMenuBox);
    shopLayout->setContentsMargins(0, 0, 0, 0);
    shopLayout->setSpacing(6);
    auto *shopLabel = new QLabel(QString::fromUtf8("ショップ"), m_shopMenuBox);
    shopLabel->setObjectName(QStringLiteral("shopMenuLabel"));
    m_shopMenu = new ElidingComboBox(m_shopMenuBox);
    m_shopMenu->setObjectName(QStringLiteral("shopMenu"));
    m_shopMenu->setFixedWidth(shopMenuWidth);
    shopLayout->addWidget(shopLabel);
    shopLayout->addWidget(m_shopMenu);
    connect(m_shopMenu, &QComboBox::currentIndexChanged, this, [this](int index) {
        // Index -1 only shows that the remembered shop is not listed any
        // more; it must not forget it.
        if (index < 0)
            return;
        const QUuid id = m_shopMenu->itemData(index).toUuid();
        m_selectedShopId = id.isNull() ? std::nullopt : std::optional<QUuid>(id);
    });

    const QFont menuFont = ViewStyle::font(ViewStyle::TextStyle::body);
    for (QWidget *widget :
         {static_cast<QWidget *>(m_engineMenu), static_cast<QWidget *>(m_filterMenu),
          static_cast<QWidget *>(shopLabel), static_cast<QWidget *>(m_shopMenu)})
        widget->setFont(menuFont);
    for (QComboBox *menu : {m_engineMenu, m_filterMenu, m_shopMenu}) {
        menu->setIconSize(QSize(menuIconSize, menuIconSize));
        // A fixed-width menu still opens wide enough to read every row.
        menu->view()->setTextElideMode(Qt::ElideNone);
    }

    layout->addStretch(1);
    layout->addWidget(m_engineMenu);
    layout->addWidget(m_filterMenu);
    layout->addWidget(m_shopMenuBox);
    layout->addStretch(1);
    return row;
}

QWidget *SearchBarView::buildQueryRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    // Painted by eventFilter: a 1.5-point outline is finer than style sheets draw.
    m_queryBox = new QWidget(row);
    m_queryBox->setObjectName(QStringLiteral("queryBox"));
    m_queryBox->installEventFilter(this);
    auto *boxLayout = new QHBoxLayout(m_queryBox);
    boxLayout->setContentsMargins(10, 7, 10, 7);
    boxLayout->setSpacing(8);

    m_querySymbol = new QLabel(m_queryBox);
    m_querySymbol->setObjectName(QStringLiteral("querySymbol"));
    m_querySymbol->setFixedSize(querySymbolSize, querySymbolSize);

    m_queryField = new QLineEdit(m_queryBox);
    m_queryField->setObjectName(QStringLiteral("queryField"));
    m_queryField->setFrame(false);
    m_queryField->setFont(ViewStyle::font(ViewStyle::TextStyle::body));
    // No style sheet: the field keeps following the palette, and its own
    // fill is the box's control colour.
    connect(m_queryField, &QLineEdit::textChanged, this, [this](const QString &text) {
        showClearButton();
        Q_EMIT searchTextChanged(text);
    });
    connect(m_queryField, &QLineEdit::returnPressed, this, &SearchBarView::performSearch);

    m_clearButton = new QToolButton(m_queryBox);
    m_clearButton->setObjectName(QStringLiteral("clearButton"));
    m_clearButton->setFocusPolicy(Qt::NoFocus);
    m_clearButton->setIconSize(QSize(querySymbolSize, querySymbolSize));
    ViewStyle::makePlain(m_clearButton);
    connect(m_clearButton, &QToolButton::clicked, this, [this] { setSearchText(QString()); });

    boxLayout->addWidget(m_querySymbol);
    boxLayout->addWidget(m_queryField, 1);
    boxLayout->addWidget(m_clearButton);

    m_shopSearchButton = new QPushButton(QString::fromUtf8("ショップ検索"), row);
    m_shopSearchButton->setObjectName(QStringLiteral("shopSearchButton"));
    m_shopSearchButton->setFont(ViewStyle::systemFont(13, QFont::Bold));
    m_shopSearchButton->setIconSize(QSize(buttonIconSize, buttonIconSize));
    m_shopSearchButton->setCursor(Qt::PointingHandCursor);
    connect(m_shopSearchButton, &QPushButton::clicked, this,
            [this] { searchWithEngine(SearchTargetEngine::googleShopping); });

    m_webSearchButton = new QPushButton(QString::fromUtf8("Web検索"), row);
    m_webSearchButton->setObjectName(QStringLiteral("webSearchButton"));
    m_webSearchButton->setFont(ViewStyle::systemFont(13, QFont::Medium));
    m_webSearchButton->setIconSize(QSize(buttonIconSize, buttonIconSize));
    m_webSearchButton->setCursor(Qt::PointingHandCursor);
    connect(m_webSearchButton, &QPushButton::clicked, this,
            [this] { searchWithEngine(SearchTargetEngine::googleWeb); });

    layout->addWidget(m_queryBox, 1);
    layout->addWidget(m_shopSearchButton);
    layout->addWidget(m_webSearchButton);
    return row;
}

QWidget *SearchBarView::buildModeRow()
{
    auto *row = new QWidget(this);
    m_modeRowLayout = new QGridLayout(row);
    m_modeRowLayout->setContentsMargins(0, 0, 0, 0);
    m_modeRowLayout->setHorizontalSpacing(8);
    m_modeRowLayout->setVerticalSpacing(6);

    m_modeLine = new QWidget(row);
    auto *modeLayout = new QHBoxLayout(m_modeLine);
    modeLayout->setContentsMargins(0, 0, 0, 0);
    modeLayout->setSpacing(4);
    m_modeSymbol = new QLabel(m_modeLine);
    m_modeSymbol->setObjectName(QStringLiteral("modeSymbol"));
    m_modeSymbol->setFixedSize(captionSymbolSize, captionSymbolSize);
    m_modeDescription = new QLabel(m_modeLine);
    m_modeDescription->setObjectName(QStringLiteral("modeDescription"));
    m_modeDescription->setFont(ViewStyle::font(ViewStyle::TextStyle::caption2));
    m_modeDescription->setWordWrap(true);
    modeLayout->addWidget(m_modeSymbol, 0, Qt::AlignVCenter);
    modeLayout->addWidget(m_modeDescription, 1, Qt::AlignVCenter);

    m_chipLine = new QWidget(row);
    auto *chipLayout = new QHBoxLayout(m_chipLine);
    chipLayout->setContentsMargins(0, 0, 0, 0);
    chipLayout->setSpacing(6);
    m_chipsTitle = new QLabel(QString::fromUtf8("主要ショップ:"), m_chipLine);
    m_chipsTitle->setObjectName(QStringLiteral("shopChipsTitle"));
    m_chipsTitle->setFont(ViewStyle::font(ViewStyle::TextStyle::caption2));
    chipLayout->addWidget(m_chipsTitle);
    for (int index = 0; index < maxShopChips; ++index) {
        auto *chip = new QPushButton(m_chipLine);
        chip->setObjectName(QStringLiteral("shopChip%1").arg(index));
        chip->setFont(ViewStyle::systemFont(10, QFont::Medium));
        chip->setCursor(Qt::PointingHandCursor);
        chip->setFocusPolicy(Qt::TabFocus);
        // The shop is looked up when pressed, so a chip never searches a
        // row that the list no longer holds at that place.
        connect(chip, &QPushButton::clicked, this, [this, index] {
            const QList<TrustedShop> &shops = m_ruleStore.trustedShops();
            if (index < shops.size())
                quickShopSearch(shops.at(index));
        });
        chipLayout->addWidget(chip);
        m_chips.append(chip);
    }
    return row;
}

void SearchBarView::arrangeModeRow()
{
    // Beside the chips while the description keeps a readable width (it
    // wraps there); on a narrower bar it gets a line of its own above them.
    const int available = width() - 24;
    const bool sideBySide
        = available - m_chipLine->sizeHint().width() - 8 >= minimumDescriptionWidth;
    const int arrangement = sideBySide ? 1 : 0;
    if (arrangement == m_modeRowArrangement)
        return;
    m_modeRowArrangement = arrangement;
    m_modeRowLayout->removeWidget(m_modeLine);
    m_modeRowLayout->removeWidget(m_chipLine);
    if (sideBySide) {
        m_modeRowLayout->addWidget(m_modeLine, 0, 0);
        m_modeRowLayout->addWidget(m_chipLine, 0, 1, Qt::AlignRight | Qt::AlignVCenter);
        m_modeRowLayout->setColumnStretch(0, 1);
        m_modeRowLayout->setColumnStretch(1, 0);
    } else {
        m_modeRowLayout->addWidget(m_modeLine, 0, 0, 1, 2);
        m_modeRowLayout->addWidget(m_chipLine, 1, 0, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void SearchBarView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeModeRow();
}

QString SearchBarView::searchText() const
{
    return m_queryField->text();
}

void SearchBarView::setSearchText(const QString &text)
{
    if (text != m_queryField->text())
        m_queryField->setText(text);
}

void SearchBarView::focusQuery()
{
    m_queryField->setFocus(Qt::ShortcutFocusReason);
    m_queryField->selectAll();
}

void SearchBarView::performSearch()
{
    const QString query = searchText().trimmed();
    if (query.isEmpty())
        return;
    // An address is opened, not searched for: checking the address is a
    // shopper's first defence, so the box must take one.
    if (const auto typed = WebAddress::fromTyped(query)) {
        Q_EMIT searchRequested(*typed);
        return;
    }

    // A disabled shop still counts here: the user chose it explicitly.
    std::optional<TrustedShop> shop;
    if (m_selectedShopId) {
        for (const TrustedShop &candidate : m_ruleStore.trustedShops()) {
            if (candidate.id == *m_selectedShopId) {
                shop = candidate;
                break;
            }
        }
    }

    const std::optional<QUrl> url = m_engine.buildSearchURL(
        query, m_ruleStore.filterMode(), m_ruleStore.searchEngine(), m_ruleStore, shop);
    if (url)
        Q_EMIT searchRequested(*url);
}

void SearchBarView::searchWithEngine(SearchTargetEngine engine)
{
    m_ruleStore.setSearchEngine(engine);
    performSearch();
}

void SearchBarView::quickShopSearch(const TrustedShop &shop)
{
    // A shop's domain and template are the user's own text: what does not
    // parse as a web address opens nothing.
    const QString text = searchText();
    const std::optional<QUrl> url = text.isEmpty()
        ? WebAddress::parse(QStringLiteral("https://") + shop.domain)
        // The same encoder as the direct shop search, so a chip and the shop
        // menu send a query identically.
        : WebAddress::parse(SafeBrowsingEngine::fillShopTemplate(shop.searchUrlTemplate, text));
    if (url)
        Q_EMIT searchRequested(*url);
}

void SearchBarView::showEngine()
{
    const SearchTargetEngine engine = m_ruleStore.searchEngine();
    {
        const QSignalBlocker blocker(m_engineMenu);
        m_engineMenu->setCurrentIndex(m_engineMenu->findData(rawValue(engine)));
    }
    m_queryField->setPlaceholderText(queryPlaceholder(engine));
    const QColor accent = accentColor(m_themeManager.currentTheme());
    m_querySymbol->setPixmap(SymbolIcon::pixmap(querySymbolName(engine), accent, querySymbolSize,
                                                devicePixelRatioF() * 2));
    m_querySymbol->setToolTip(querySymbolName(engine));
}

void SearchBarView::showFilterMode()
{
    const SearchFilterMode mode = m_ruleStore.filterMode();
    {
        const QSignalBlocker blocker(m_filterMenu);
        m_filterMenu->setCurrentIndex(m_filterMenu->findData(rawValue(mode)));
    }
    m_shopMenuBox->setVisible(mode == SearchFilterMode::directShopSearch);
    if (mode == SearchFilterMode::directShopSearch)
        showShopMenu();
    const QColor accent = accentColor(m_themeManager.currentTheme());
    m_modeSymbol->setPixmap(
        SymbolIcon::pixmap(iconName(mode), accent, captionSymbolSize, devicePixelRatioF() * 2));
    m_modeSymbol->setToolTip(iconName(mode));
    m_modeDescription->setText(descriptionText(mode));
}

void SearchBarView::showShops()
{
    showShopMenu();
    showChips();
}

void SearchBarView::showShopMenu()
{
    const QSignalBlocker blocker(m_shopMenu);
    m_shopMenu->clear();
    m_shopMenu->addItem(QString::fromUtf8("全ショップ一覧から選択"), QUuid());
    int selectedIndex = m_selectedShopId ? -1 : 0;
    for (const TrustedShop &shop : m_ruleStore.trustedShops()) {
        if (!shop.isEnabled)
            continue;
        if (m_selectedShopId && shop.id == *m_selectedShopId)
            selectedIndex = m_shopMenu->count();
        m_shopMenu->addItem(shop.name, shop.id);
    }
    // A remembered shop that is no longer listed shows as no row, as a
    // picker whose value matches none of its rows.
    m_shopMenu->setCurrentIndex(selectedIndex);
    m_shopMenu->view()->setMinimumWidth(m_shopMenu->view()->sizeHintForColumn(0) + 24);
}

void SearchBarView::showChips()
{
    const QList<TrustedShop> &shops = m_ruleStore.trustedShops();
    for (int index = 0; index < m_chips.size(); ++index) {
        QPushButton *chip = m_chips.at(index);
        if (index < shops.size()) {
            // A long custom name must not push the bar wider than the window.
            const QString &name = shops.at(index).name;
            chip->setText(chip->fontMetrics().elidedText(name, Qt::ElideRight, maxChipTextWidth));
            chip->setToolTip(name + QStringLiteral(" (") + shops.at(index).domain
                             + QStringLiteral(")"));
            chip->show();
        } else {
            chip->hide();
        }
    }
    m_modeRowArrangement = -1;
    arrangeModeRow();
}

void SearchBarView::showClearButton()
{
    m_clearButton->setVisible(!searchText().isEmpty());
}

void SearchBarView::restyle()
{
    if (m_restyling)
        return;
    m_restyling = true;

    const AppTheme theme = m_themeManager.currentTheme();
    const QColor accent = accentColor(theme);
    const QColor tint = backgroundTint(theme);
    const QColor secondary = ViewStyle::secondaryText(this);
    const QColor primary = palette().color(QPalette::WindowText);
    const qreal ratio = devicePixelRatioF() * 2;

    for (int index = 0; index < m_engineMenu->count(); ++index) {
        if (const auto engine
            = searchTargetEngineFromRawValue(m_engineMenu->itemData(index).toString()))
            m_engineMenu->setItemIcon(index,
                                      SymbolIcon::icon(iconName(*engine), primary, menuIconSize));
    }
    for (int index = 0; index < m_filterMenu->count(); ++index) {
        if (const auto mode
            = searchFilterModeFromRawValue(m_filterMenu->itemData(index).toString()))
            m_filterMenu->setItemIcon(index,
                                      SymbolIcon::icon(iconName(*mode), primary, menuIconSize));
    }

    m_clearButton->setIcon(
        SymbolIcon::icon(QStringLiteral("xmark.circle.fill"), secondary, querySymbolSize));
    ViewStyle::makeProminent(m_shopSearchButton, accent, 12, 6);
    m_shopSearchButton->setIcon(
        SymbolIcon::icon(QStringLiteral("cart.fill"), textOnAccent(accent), buttonIconSize));
    ViewStyle::makeBordered(m_webSearchButton, palette(), 10, 6);
    m_webSearchButton->setIcon(SymbolIcon::icon(
        QStringLiteral("globe"), palette().color(QPalette::ButtonText), buttonIconSize));

    m_modeDescription->setStyleSheet(labelStyle(secondary));
    m_chipsTitle->setStyleSheet(labelStyle(secondary));
    const QString chipStyle
        = QStringLiteral("QPushButton { background: %1; color: %2; border: none;"
                         " border-radius: 4px; padding: 2px 6px; }"
                         "QPushButton:pressed { background: %3; }")
              .arg(ViewStyle::rgba(tint), ViewStyle::rgba(accent),
                   ViewStyle::rgba(tint.darker(110)));
    for (QPushButton *chip : std::as_const(m_chips))
        chip->setStyleSheet(chipStyle);

    const SearchTargetEngine engine = m_ruleStore.searchEngine();
    m_querySymbol->setPixmap(
        SymbolIcon::pixmap(querySymbolName(engine), accent, querySymbolSize, ratio));
    m_modeSymbol->setPixmap(
        SymbolIcon::pixmap(iconName(m_ruleStore.filterMode()), accent, captionSymbolSize, ratio));
    m_queryBox->update();

    m_restyling = false;
}

void SearchBarView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A light or dark appearance swaps the palette: secondary and primary
    // colours follow it. The children take the new palette only after this
    // event, and the bordered button's style sheet reads the button's own.
    if (event->type() == QEvent::PaletteChange && m_engineMenu)
        QMetaObject::invokeMethod(this, &SearchBarView::restyle, Qt::QueuedConnection);
}

bool SearchBarView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_queryBox && event->type() == QEvent::Paint)
        paintQueryBox();
    return QWidget::eventFilter(watched, event);
}

void SearchBarView::paintQueryBox()
{
    QPainter painter(m_queryBox);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal outline = 1.5;
    const QRectF shape
        = QRectF(m_queryBox->rect()).adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2);
    QPainterPath path;
    path.addRoundedRect(shape, 8, 8);
    painter.fillPath(path, m_queryBox->palette().color(QPalette::Base));
    QColor stroke = accentColor(m_themeManager.currentTheme());
    stroke.setAlphaF(0.35);
    painter.strokePath(path, QPen(stroke, outline));
}
