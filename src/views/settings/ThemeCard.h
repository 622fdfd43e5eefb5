#pragma once

#include "theme/AppTheme.h"

#include <QAbstractButton>

// One theme in the settings grid: a swatch, the theme's name and, for the
// current theme, a check mark on the theme's tint inside an accent outline.
// Checked means "this is the current theme"; a click only asks for it.
class ThemeCard final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ThemeCard(AppTheme theme, QWidget *parent = nullptr);

    AppTheme theme() const { return m_theme; }
    bool showsCheckmark() const { return isChecked(); }
    QColor backgroundColor() const;
    // Transparent when not current.
    QColor outlineColor() const;
    // The primary text colour, unless it would not stand out from the fill.
    QColor nameColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;

private:
    AppTheme m_theme;
};
