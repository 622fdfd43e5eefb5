#pragma once

#include <QList>
#include <QScrollArea>

class ThemeCard;
class ThemeManager;

// The "外観・テーマ" tab: every theme as a card in a two-column grid; a click
// makes that theme current for every window.
class ThemeSettingsTab final : public QScrollArea
{
    Q_OBJECT

public:
    explicit ThemeSettingsTab(ThemeManager &themeManager, QWidget *parent = nullptr);

    const QList<ThemeCard *> &cards() const { return m_cards; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void syncCards();

    ThemeManager &m_themeManager;
    QList<ThemeCard *> m_cards;
    QWidget *m_section = nullptr;
};
