#include "browser/CautionNotice.h"

QStringList CautionNotice::reasons(const SafetyLevel &level, const QUrl &shownPage) const
{
    if (!level.isCaution())
        return {};
    if (!m_dismissedPage.isEmpty() && m_dismissedPage == pageOf(shownPage))
        return {};
    return level.reasons();
}

void CautionNotice::dismiss(const QUrl &shownPage)
{
    m_dismissedPage = pageOf(shownPage);
}

void CautionNotice::pageShown(const QUrl &page)
{
    if (pageOf(page) != m_dismissedPage)
        m_dismissedPage.clear();
}

QUrl CautionNotice::pageOf(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment);
}
