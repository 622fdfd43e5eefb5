#pragma once

class QWidget;

namespace SaveFailureMessage {

// Tells the user that changes to the settings, bookmarks or rules could not
// be written to disk; the box goes when closed.
void show(QWidget *parent);

} // namespace SaveFailureMessage
