#pragma once

#include "rules/ExcludedPattern.h"

#include <QWidget>

class ElidedLabel;
class QLabel;
class QToolButton;
class ToggleSwitch;

// One exclusion rule in the settings list: its switch, pattern, "カスタム"
// badge and reason, and a delete button for patterns the user added.
class PatternRow final : public QWidget
{
    Q_OBJECT

public:
    explicit PatternRow(QWidget *parent = nullptr);

    void setPattern(const ExcludedPattern &pattern);
    const ExcludedPattern &pattern() const { return m_pattern; }
    void setSwitchColor(const QColor &color);

Q_SIGNALS:
    void toggleRequested(const QUuid &id);
    void removeRequested(const QUuid &id);

private:
    ExcludedPattern m_pattern;
    ToggleSwitch *m_switch;
    ElidedLabel *m_patternLabel;
    QLabel *m_customBadge;
    ElidedLabel *m_reasonLabel;
    QToolButton *m_deleteButton;
};
