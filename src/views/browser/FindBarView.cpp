#include "views/browser/FindBarView.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

constexpr int iconSize = 16;

QToolButton *makeButton(const QString &objectName, const QString &help, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setToolTip(help);
    button->setAccessibleName(help);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

FindBarView::FindBarView(QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_field(new QLineEdit(this))
    , m_count(new QLabel(this))
    , m_previous(makeButton(u"findPreviousButton"_s, u"前を検索 (Shift+F3)"_s, this))
    , m_next(makeButton(u"findNextButton"_s, u"次を検索 (F3)"_s, this))
    , m_close(makeButton(u"findCloseButton"_s, u"閉じる (Esc)"_s, this))
{
    setObjectName(u"findBar"_s);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_symbol->setFixedSize(iconSize, iconSize);
    m_field->setObjectName(u"findField"_s);
    m_field->setPlaceholderText(u"ページ内を検索"_s);
    m_field->setClearButtonEnabled(true);
    m_field->setMinimumWidth(240);
    m_field->installEventFilter(this);
    m_count->setObjectName(u"findCount"_s);
    m_count->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    m_count->setMinimumWidth(72);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 8, 4);
    row->setSpacing(6);
    row->addWidget(m_symbol);
    row->addWidget(m_field);
    row->addWidget(m_count);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    row->addStretch(1);
    row->addWidget(m_close);

    // Searching as the user types, the way every browser does.
    connect(m_field, &QLineEdit::textEdited, this, [this] { find(false); });
    connect(m_field, &QLineEdit::returnPressed, this, &FindBarView::findNext);
    connect(m_previous, &QToolButton::clicked, this, &FindBarView::findPrevious);
    connect(m_next, &QToolButton::clicked, this, &FindBarView::findNext);
    connect(m_close, &QToolButton::clicked, this, &FindBarView::closeBar);

    restyle();
    hide();
}

void FindBarView::attachView(QWebEngineView &webView)
{
    m_webView = &webView;
    connect(webView.page(), &QWebEnginePage::findTextFinished, this, &FindBarView::showResult);
    // Another document: the count spoke of the one before.
    connect(webView.page(), &QWebEnginePage::urlChanged, m_count, &QLabel::clear);
}

QString FindBarView::text() const
{
    return m_field->text();
}

QString FindBarView::countText() const
{
    return m_count->text();
}

void FindBarView::showBar()
{
    const bool opens = isHidden();
    show();
    if (opens)
        Q_EMIT openChanged(true);
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    if (!m_field->text().isEmpty() && m_count->text().isEmpty())
        find(false);
}

void FindBarView::closeBar()
{
    if (isHidden())
        return;
    const bool hadFocus = m_field->hasFocus();
    hide();
    m_count->clear();
    if (m_webView) {
        // An empty search ends the engine's highlighting.
        m_webView->page()->findText(QString());
        if (hadFocus)
            m_webView->setFocus(Qt::OtherFocusReason);
    }
    Q_EMIT openChanged(false);
}

void FindBarView::findNext()
{
    if (isHidden())
        showBar();
    find(false);
}

void FindBarView::findPrevious()
{
    if (isHidden())
        showBar();
    find(true);
}

void FindBarView::find(bool backward)
{
    // Asking the view for a page it does not have yet would make one
    // outside the screening.
    if (!m_webView)
        return;
    const QString text = m_field->text();
    if (text.isEmpty()) {
        m_count->clear();
        m_webView->page()->findText(QString());
        return;
    }
    m_webView->page()->findText(
        text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void FindBarView::showResult(const QWebEngineFindTextResult &result)
{
    // A result of the empty search that closing the bar starts says nothing.
    if (isHidden() || m_field->text().isEmpty())
        return;
    m_count->setText(result.numberOfMatches() == 0
                         ? u"見つかりません"_s
                         : u"%1/%2件"_s.arg(result.activeMatch()).arg(result.numberOfMatches()));
}

bool FindBarView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && key->modifiers().testFlag(Qt::ShiftModifier)) {
            findPrevious();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            closeBar();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBarView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

void FindBarView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(QRect(0, height() - 1, width(), 1), palette().color(QPalette::Mid));
}

void FindBarView::restyle()
{
    const QColor text = palette().color(QPalette::WindowText);
    const QColor disabled = palette().color(QPalette::Disabled, QPalette::WindowText);
    m_symbol->setPixmap(
        SymbolIcon::pixmap(u"magnifyingglass"_s, ViewStyle::secondaryText(this), iconSize));
    m_previous->setIcon(SymbolIcon::buttonIcon(u"chevron.up"_s, text, disabled, iconSize));
    m_next->setIcon(SymbolIcon::buttonIcon(u"chevron.down"_s, text, disabled, iconSize));
    m_close->setIcon(SymbolIcon::buttonIcon(u"xmark"_s, text, disabled, iconSize));
    m_count->setStyleSheet(
        u"QLabel { color: %1; }"_s.arg(ViewStyle::rgba(ViewStyle::secondaryText(this))));
}
