#pragma once

#include "safety/SafetyLevel.h"

#include <QStringList>
#include <QUrl>

// What the caution bar above the page says: the reasons of a caution verdict
// on the page shown, until the user closes the bar for that page. Showing
// another page (another address, not merely another fragment) ends that.
class CautionNotice
{
public:
    QStringList reasons(const SafetyLevel &level, const QUrl &shownPage) const;
    void dismiss(const QUrl &shownPage);
    void pageShown(const QUrl &page);

private:
    static QUrl pageOf(const QUrl &url);

    QUrl m_dismissedPage;
};
