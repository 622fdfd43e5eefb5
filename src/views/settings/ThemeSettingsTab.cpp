#include "views/settings/ThemeSettingsTab.h"

#include "theme/ThemeManager.h"
#include "views/common/ViewStyle.h"
#include "views/settings/ThemeCard.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

ThemeSettingsTab::ThemeSettingsTab(ThemeManager &themeManager, QWidget *parent)
    : QScrollArea(parent)
    , m_themeManager(themeManager)
{
    setObjectName(QStringLiteral("themeSettingsTab"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto *heading = new QLabel(QStringLiteral("カラーテーマの選択"));
    heading->setObjectName(QStringLiteral("themeHeading"));
    heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    auto *explanation = new QLabel(
        QStringLiteral("お好みのカラーテーマを選択できます。"
                       "アプリ全体のアクセントカラーとトーンが即座に切り替わります。"));
    explanation->setObjectName(QStringLiteral("themeExplanation"));
    explanation->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    explanation->setForegroundRole(QPalette::PlaceholderText);
    explanation->setWordWrap(true);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    const QList<AppTheme> themes = allAppThemes();
    for (int i = 0; i < themes.size(); ++i) {
        auto *card = new ThemeCard(themes.at(i));
        card->setObjectName(QStringLiteral("themeCard_") + rawValue(themes.at(i)));
        connect(card, &ThemeCard::clicked, this,
                [this, card] { m_themeManager.setCurrentTheme(card->theme()); });
        grid->addWidget(card, i / 2, i % 2);
        m_cards.append(card);
    }

    // The grouped form's one section.
    auto *section = new QFrame;
    section->setObjectName(QStringLiteral("themeSection"));
    // Painted by the event filter: a style sheet would keep the window's
    // light or dark palette from the cards.
    section->installEventFilter(this);
    m_section = section;
    auto *sectionLayout = new QVBoxLayout(section);
    sectionLayout->setContentsMargins(16, 8 + 8, 16, 8 + 8);
    sectionLayout->setSpacing(16);
    sectionLayout->addWidget(heading);
    sectionLayout->addWidget(explanation);
    sectionLayout->addLayout(grid);

    auto *content = new QWidget;
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(12, 12, 12, 12);
    contentLayout->addWidget(section);
    contentLayout->addStretch(1);
    setWidget(content);
    content->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);

    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &ThemeSettingsTab::syncCards);
    syncCards();
}

void ThemeSettingsTab::syncCards()
{
    const AppTheme current = m_themeManager.currentTheme();
    for (ThemeCard *card : std::as_const(m_cards))
        card->setChecked(card->theme() == current);
}

bool ThemeSettingsTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_section && event->type() == QEvent::Paint) {
        QPainter painter(m_section);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(m_section->palette().color(QPalette::Midlight), 1));
        painter.setBrush(m_section->palette().color(QPalette::AlternateBase));
        painter.drawRoundedRect(QRectF(m_section->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
    return QScrollArea::eventFilter(watched, event);
}
