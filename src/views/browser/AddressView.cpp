#include "views/browser/AddressView.h"

#include "browser/EngineAddress.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int lockSize = 14;
constexpr int maximumShownCharacters = 90;

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
    row->setSpacing(4);
    m_lock->setObjectName(QStringLiteral("addressLock"));
    m_lock->setFixedSize(lockSize, lockSize);
    m_insecure->setObjectName(QStringLiteral("addressInsecure"));
    m_insecure->setFont(ViewStyle::systemFont(10, QFont::DemiBold));
    m_text->setObjectName(QStringLiteral("addressText"));
    m_text->setFont(ViewStyle::systemFont(11));
    m_text->setTextFormat(Qt::RichText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
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
    return parts;
}

void AddressView::showAddress()
{
    m_showing = true;
    const QColor dim = ViewStyle::secondaryText(this);
    const QColor strong = palette().color(QPalette::WindowText);
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

    m_text->clear();
    m_text->setToolTip(QString());
    m_shownText.clear();
    if (!m_address.isEmpty()) {
        auto [before, host, after] = displayParts(m_address);
        const QString full = before + host + after;
        m_text->setToolTip(full);
        if (full.size() > maximumShownCharacters)
            after = after.left(std::max<qsizetype>(
                        0, maximumShownCharacters - before.size() - host.size()))
                + QStringLiteral("…");
        const auto span = [](const QString &text, const QColor &color, bool bold) {
            return QStringLiteral("<span style=\"color:%1;%2\">%3</span>")
                .arg(color.name(QColor::HexRgb),
                     bold ? QStringLiteral("font-weight:600") : QString(), text.toHtmlEscaped());
        };
        m_shownText = before + host + after;
        m_text->setText(span(before, dim, false) + span(host, strong, true)
                        + span(after, dim, false));
    }
    m_showing = false;
}

void AddressView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_showing)
        showAddress();
}
