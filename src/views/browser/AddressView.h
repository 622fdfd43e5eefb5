#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;

// The address of the page in front, beside the badge: a lock for https, an
// open padlock and "保護されていない通信" for http, then the address with its
// host emphasised and the rest dimmed. It can be selected and copied, which
// is how a shopper checks where they really are.
class AddressView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr auto insecureText = "保護されていない通信";

    explicit AddressView(QWidget *parent = nullptr);

    QUrl address() const { return m_address; }
    // untrusted: an https address whose certificate is not trusted, shown
    // as plain http is.
    void setAddress(const QUrl &address, bool untrusted = false);
    // The address as shown, without its emphasis.
    QString shownText() const { return m_shownText; }
    bool isSecure() const;
    bool isInsecure() const;

    // The host as it is safe to show: Unicode only when every character is
    // Latin, kana or kanji, so that a Cyrillic "а" in a shop's name is shown
    // as the punycode it really is.
    static QString displayHost(const QUrl &address);
    // The address as shown, in three parts: what comes before the host, the
    // host, and what follows it. An address without a host (data:, or one
    // QUrl refused) comes whole in the first part.
    struct Parts
    {
        QString before;
        QString host;
        QString after;
        QString text() const { return before + host + after; }
    };
    static Parts displayParts(const QUrl &address);

    // As wide as the whole address up to a limit, and able to shrink to a
    // little of it: a long host must never push the badge out of the
    // toolbar.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showAddress();
    void fitText();
    int fixedWidth() const;
    QFont hostFont() const;

    QUrl m_address;
    bool m_untrusted = false;
    QLabel *m_lock;
    QLabel *m_insecure;
    QLabel *m_text;
    Parts m_parts;
    QString m_shownText;
    bool m_showing = false;
};
