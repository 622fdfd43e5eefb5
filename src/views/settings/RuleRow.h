#pragma once

#include <QUuid>
#include <QWidget>

class QLabel;
class QToolButton;
class ToggleSwitch;

// What a shop row and a pattern row have in common: the switch on the left,
// the "カスタム" badge after the first line of text, and a delete button on
// the right that only rules the user added show. Subclasses supply the texts.
class RuleRow : public QWidget
{
    Q_OBJECT

public:
    void setSwitchColor(const QColor &color);

Q_SIGNALS:
    void toggleRequested(const QUuid &id);
    void removeRequested(const QUuid &id);

protected:
    // namePrefix names the row and its controls ("pattern" gives
    // "patternRow", "patternSwitch" and "patternDeleteButton").
    RuleRow(const QString &namePrefix, const QColor &badgeColor, QWidget *parent);

    // Lays out the row once its texts exist: firstLine, then the badge, on
    // top of secondLine.
    void setTextLines(const QList<QWidget *> &firstLine, QWidget *secondLine);
    void showRule(const QUuid &id, bool isEnabled, const QString &name, bool isCustom);

private:
    QUuid m_id;
    ToggleSwitch *m_switch;
    QLabel *m_customBadge;
    QToolButton *m_deleteButton;
};
