#include "downloads/DownloadItem.h"

#include <algorithm>

double DownloadItem::progress() const
{
    if (state == State::completed)
        return 1.0;
    if (totalBytes <= 0)
        return -1.0;
    return std::clamp(double(receivedBytes) / double(totalBytes), 0.0, 1.0);
}
