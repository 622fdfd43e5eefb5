#pragma once

#include "address/UrlHost.h"

#include <QString>
#include <QStringView>
#include <QUrl>

// Where the web engine fetches an address from: its scheme and host as the
// engine's URL parser (the URL Standard) reads them. Tabs and line breaks are
// dropped, "http:scam.top", "http:/scam.top/" and "http:\\scam.top" open
// http://scam.top/, and view-source:, blob: and filesystem: addresses load
// from the origin they wrap.
class LoadTarget
{
public:
    enum class Status {
        // No scheme: not an address at all ("www.example.com", "nope").
        notAnAddress,
        // Loads nothing from the network: about:blank, data:, javascript:,
        // mailto:, file: without a host, blob: of an opaque origin.
        hostless,
        // A host the rules can judge.
        host,
        // Would load content, but no sound host can be read from it: the
        // engine may reach something no rule can be checked against.
        unsound,
    };

    static LoadTarget fromText(QStringView text);
    // The engine hands over a QUrl; where QUrl refused the engine's text the
    // QUrl is invalid and keeps that text only in its error message, so it is
    // recovered from there and read again.
    static LoadTarget fromUrl(const QUrl &url);
    // The engine's text of an address QUrl refused, recovered from the
    // invalid QUrl's error message; empty for a valid QUrl or where the
    // message quotes nothing.
    static QString refusedText(const QUrl &url);

    Status status() const { return m_status; }
    // Lower case; for wrappers the scheme of the wrapped address.
    const QString &scheme() const { return m_scheme; }
    const UrlHost &host() const { return m_host; }

private:
    static LoadTarget fromText(QStringView text, int depth);
    static LoadTarget withStatus(Status status, const QString &scheme = {});
    static LoadTarget fromAuthority(QStringView authority, const QString &scheme, bool special);

    Status m_status = Status::notAnAddress;
    QString m_scheme;
    UrlHost m_host;
};
