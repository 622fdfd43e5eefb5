#include "views/settings/AboutTab.h"

#include "history/SessionStore.h"
#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace {

QLabel *makeLabel(const QString &text, const QFont &font, bool secondary, const QString &name)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    if (secondary)
        label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

AboutTab::AboutTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
    , m_symbol(new QLabel)
{
    setObjectName(QStringLiteral("aboutTab"));

    m_symbol->setObjectName(QStringLiteral("aboutSymbol"));
    m_symbol->setAlignment(Qt::AlignCenter);

    auto *identity = new QVBoxLayout;
    identity->setSpacing(6);
    identity->addWidget(makeLabel(QStringLiteral("Velmora Shopping Browser"),
                                  ViewStyle::font(ViewStyle::TextStyle::title2, QFont::Bold), false,
                                  QStringLiteral("aboutAppName")));
    identity->addWidget(makeLabel(versionText(), ViewStyle::font(ViewStyle::TextStyle::caption),
                                  true, QStringLiteral("aboutVersion")));
    identity->addWidget(makeLabel(platformText(), ViewStyle::font(ViewStyle::TextStyle::caption2),
                                  true, QStringLiteral("aboutPlatform")));
    identity->addWidget(makeLabel(engineText(), ViewStyle::font(ViewStyle::TextStyle::caption2),
                                  true, QStringLiteral("aboutEngine")));

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    // The tab is never narrower than the settings view's minimum allows, so
    // the divider always gets its full 400.
    divider->setFixedWidth(400);

    auto *purpose = new QWidget;
    purpose->setMaximumWidth(450);
    auto *purposeLayout = new QVBoxLayout(purpose);
    purposeLayout->setContentsMargins(0, 0, 0, 0);
    purposeLayout->setSpacing(8);
    purposeLayout->addWidget(
        makeLabel(QStringLiteral("お兄ちゃんのための安心・安全ショッピング検索ブラウザ"),
                  ViewStyle::font(ViewStyle::TextStyle::subheadline, QFont::Bold), false,
                  QStringLiteral("aboutTagline")));
    purposeLayout->addWidget(makeLabel(
        QStringLiteral("Googleショッピング検索等から怪しい詐欺サイトや不正ドメインを徹底除外！\n"
                       "正規認定ショップのみをスマートにピックアップしてお買い物を守ります。"),
        ViewStyle::font(ViewStyle::TextStyle::caption), true, QStringLiteral("aboutDescription")));

    auto *resetButton = new QPushButton(QStringLiteral("ルール設定をデフォルトに戻す"));
    resetButton->setObjectName(QStringLiteral("resetRulesButton"));
    resetButton->setAutoDefault(false);
    m_resetButton = resetButton;
    ViewStyle::makeBordered(resetButton);

    m_clearDataButton = new QPushButton(QStringLiteral("閲覧データを削除"));
    m_clearDataButton->setObjectName(QStringLiteral("clearBrowsingDataButton"));
    m_clearDataButton->setAutoDefault(false);
    ViewStyle::makeBordered(m_clearDataButton);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addWidget(m_clearDataButton);
    buttons->addWidget(resetButton);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(20);
    layout->addStretch(1);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    layout->addLayout(identity);
    layout->addWidget(divider, 0, Qt::AlignHCenter);
    layout->addWidget(purpose, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->setAlignment(buttons, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(resetButton, &QPushButton::clicked, this, &AboutTab::showResetConfirmation);
    connect(m_clearDataButton, &QPushButton::clicked, this, &AboutTab::clearBrowsingDataRequested);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &AboutTab::applyTheme);
    applyTheme();
}

QString AboutTab::versionText()
{
    return QStringLiteral("Version 1.0.0 (Qt %1 - %2)")
        .arg(QString::fromLatin1(qVersion()), QSysInfo::currentCpuArchitecture());
}

QString AboutTab::platformText()
{
    return QStringLiteral("Built for %1 & Later").arg(QSysInfo::prettyProductName());
}

QString AboutTab::engineText()
{
    // The engine in use, not the one built against: it is the engine's age
    // that tells how current its security fixes are.
    return QStringLiteral("Web engine: Chromium %1 (Qt WebEngine %2)")
        .arg(QString::fromLatin1(qWebEngineChromiumVersion()),
             QString::fromLatin1(qWebEngineVersion()));
}

void AboutTab::addStartupOption(PreferencesStore &preferences)
{
    auto *restore = new QCheckBox(QStringLiteral("起動時に前回のタブを復元"));
    restore->setObjectName(QStringLiteral("restoreSessionCheckBox"));
    restore->setChecked(SessionStore::restoresAtStart(preferences));
    connect(restore, &QCheckBox::toggled, this, [&preferences](bool checked) {
        SessionStore::setRestoresAtStart(preferences, checked);
    });
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->insertWidget(column->indexOf(m_resetButton), restore, 0, Qt::AlignHCenter);
}

void AboutTab::showResetConfirmation()
{
    if (m_confirmation)
        return;
    m_confirmation = new QMessageBox(this);
    m_confirmation->setObjectName(QStringLiteral("resetConfirmation"));
    m_confirmation->setAttribute(Qt::WA_DeleteOnClose);
    m_confirmation->setWindowModality(Qt::WindowModal);
    m_confirmation->setIcon(QMessageBox::Warning);
    m_confirmation->setWindowTitle(QStringLiteral("ルールを初期化しますか？"));
    m_confirmation->setText(QStringLiteral("ルールを初期化しますか？"));
    m_confirmation->setInformativeText(QStringLiteral(
        "追加したカスタムショップや除外ルールがリセットされ、標準の状態に戻ります。"));
    QPushButton *reset
        = m_confirmation->addButton(QStringLiteral("初期化する"), QMessageBox::DestructiveRole);
    reset->setObjectName(QStringLiteral("resetConfirmButton"));
    QPushButton *cancel
        = m_confirmation->addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("resetCancelButton"));
    // A stray Return must not wipe the user's rules.
    m_confirmation->setDefaultButton(cancel);
    m_confirmation->setEscapeButton(cancel);

    connect(m_confirmation, &QMessageBox::buttonClicked, this,
            [this, reset](QAbstractButton *button) {
                if (button == reset)
                    m_ruleStore.resetToDefaults();
            });
    connect(m_confirmation, &QObject::destroyed, this, [this] { m_confirmation = nullptr; });
    m_confirmation->open();
}

void AboutTab::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The bordered look takes its colours from the palette when it is set.
    if (event->type() == QEvent::PaletteChange) {
        ViewStyle::makeBordered(m_resetButton);
        ViewStyle::makeBordered(m_clearDataButton);
    }
}

void AboutTab::applyTheme()
{
    m_symbol->setPixmap(SymbolIcon::pixmap(QStringLiteral("cart.badge.shield.checkmarks.fill"),
                                           accentColor(m_themeManager.currentTheme()), 64));
}
