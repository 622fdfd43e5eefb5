#include "views/browser/AddressView.h"

#include "browser/EngineAddress.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace {

constexpr int lockSize = 14;
constexpr int spacing = 4;
constexpr int widestText = 560;
constexpr int narrowestText = 120;

bool isFamiliarScript(QChar c)
{
    if (c.unicode() < 0x80)
        return true;
    switch (c.script()) {
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Han:
    case QChar::Script_Common:
        return true;
    default:
        return false;
    }
}

} // namespace

AddressView::AddressView(QWidget *parent)
    : QWidget(parent)
    , m_lock(new QLabel(this))
    , m_insecure(new QLabel(QString::fromUtf8(insecureText), this))
    , m_text(new QLabel(this))
{
    setObjectName(QStringLiteral("addressView"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    m_lock->setObjectName(QStringLiteral("addressLock"));
    m_lock->setFixedSize(lockSize, lockSize);
    m_insecure->setObjectName(QStringLiteral("addressInsecure"));
    m_insecure->setFont(ViewStyle::systemFont(10, QFont::DemiBold));
    m_text->setObjectName(QStringLiteral("addressText"));
    m_text->setFont(ViewStyle::systemFont(11));
    m_text->setTextFormat(Qt::RichText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The label would ask for its whole text; this view decides what fits.
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_lock, 0, Qt::AlignVCenter);
    row->addWidget(m_insecure, 0, Qt::AlignVCenter);
    row->addWidget(m_text, 1, Qt::AlignVCenter);
    showAddress();
}

void AddressView::setAddress(const QUrl &address, bool untrusted)
{
    if (address == m_address && untrusted == m_untrusted)
        return;
    m_address = address;
    m_untrusted = untrusted;
    showAddress();
}

bool AddressView::isSecure() const
{
    return m_address.scheme() == QLatin1String("https") && !m_untrusted;
}

bool AddressView::isInsecure() const
{
    return m_address.scheme() == QLatin1String("http")
        || (m_address.scheme() == QLatin1String("https") && m_untrusted);
}

QString AddressView::displayHost(const QUrl &address)
{
    const QString unicode = address.host(QUrl::FullyDecoded);
    if (std::all_of(unicode.cbegin(), unicode.cend(), isFamiliarScript))
        return unicode;
    return address.host(QUrl::FullyEncoded);
}

AddressView::Parts AddressView::displayParts(const QUrl &address)
{
    if (address.isEmpty())
        return {};
    Parts parts {
        address.scheme() + QStringLiteral("://"), displayHost(address),
        // Japanese words in a path or query are shown as words.
        address.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::PrettyDecoded)};
    if (parts.host.isEmpty()) {
        // data:, file: and other addresses without a host are shown whole,
        // as are the addresses QUrl refused ("http://scam.top../pay"), in
        // the engine's own text.
        return {EngineAddress::text(address), {}, {}};
    }
    if (address.port() != -1)
        parts.after.prepend(QLatin1Char(':') + QString::number(address.port()));
    // Direction marks in a path would make "/%E2%80%AEnignis/..." read as
    // another site's address after the real host: they stay encoded.
    for (const char16_t mark : {u'\u061C', u'\u200E', u'\u200F', u'\u202A', u'\u202B', u'\u202C',
                                u'\u202D', u'\u202E', u'\u2066', u'\u2067', u'\u2068', u'\u2069'}) {
        parts.after.replace(QChar(mark),
                            QString::fromLatin1(QUrl::toPercentEncoding(QString(QChar(mark)))));
    }
    return parts;
}

QSize AddressView::sizeHint() const
{
    const QFontMetrics plain(m_text->font());
    const int natural = plain.horizontalAdvance(m_parts.before)
        + QFontMetrics(hostFont()).horizontalAdvance(m_parts.host)
        // Advances are rounded: a little more than their sum always fits.
        + plain.horizontalAdvance(m_parts.after) + 6;
    return {fixedWidth() + std::clamp(natural, narrowestText, widestText),
            QWidget::sizeHint().height()};
}

QSize AddressView::minimumSizeHint() const
{
    return {fixedWidth() + narrowestText, QWidget::minimumSizeHint().height()};
}

// The weight the host's span asks for ("font-weight:600").
QFont AddressView::hostFont() const
{
    QFont font = m_text->font();
    font.setWeight(QFont::DemiBold);
    return font;
}

int AddressView::fixedWidth() const
{
    int width = 0;
    if (!m_lock->isHidden())
        width += lockSize + spacing;
    if (!m_insecure->isHidden())
        width += m_insecure->sizeHint().width() + spacing;
    return width;
}

void AddressView::showAddress()
{
    m_showing = true;
    const QColor dim = ViewStyle::secondaryText(this);
    const qreal ratio = devicePixelRatioF() * 2;

    m_lock->setVisible(isSecure() || isInsecure());
    if (isSecure())
        m_lock->setPixmap(SymbolIcon::pixmap(QStringLiteral("lock.fill"), dim, lockSize, ratio));
    else if (isInsecure())
        m_lock->setPixmap(SymbolIcon::pixmap(QStringLiteral("lock.open.fill"), ViewStyle::red(),
                                             lockSize, ratio));
    m_lock->setToolTip(isSecure() ? QStringLiteral("保護された通信")
                                  : QString::fromUtf8(insecureText));
    m_insecure->setVisible(isInsecure());
    m_insecure->setStyleSheet(
        QStringLiteral("QLabel { color: %1; }").arg(ViewStyle::rgba(ViewStyle::red())));

    m_parts = displayParts(m_address);
    m_text->setToolTip(m_parts.text());
    fitText();
    updateGeometry();
    m_showing = false;
}

void AddressView::fitText()
{
    m_text->clear();
    m_shownText.clear();
    if (m_address.isEmpty())
        return;
    auto [before, host, after] = m_parts;
    const QFontMetrics plain(m_text->font());
    const QFontMetrics bold(hostFont());
    // The host is cut last, and from its start: the registrable name at its
    // end is what tells the shop.
    const int room = width() - fixedWidth() - 2;
    before = plain.elidedText(before, Qt::ElideMiddle, room);
    const int hostRoom = room - plain.horizontalAdvance(before);
    if (bold.horizontalAdvance(host) > hostRoom) {
        host = bold.elidedText(host, Qt::ElideLeft, std::max(hostRoom, 0));
        after.clear();
    } else {
        after = plain.elidedText(after, Qt::ElideRight, hostRoom - bold.horizontalAdvance(host));
    }
    const auto span = [](const QString &text, const QColor &color, bool emphasised) {
        return QStringLiteral("<span style=\"color:%1;%2\">%3</span>")
            .arg(color.name(QColor::HexRgb),
                 emphasised ? QStringLiteral("font-weight:600") : QString(), text.toHtmlEscaped());
    };
    m_shownText = before + host + after;
    m_text->setText(span(before, ViewStyle::secondaryText(this), false)
                    + span(host, palette().color(QPalette::WindowText), true)
                    + span(after, ViewStyle::secondaryText(this), false));
}

void AddressView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitText();
}

void AddressView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_showing)
        showAddress();
}
