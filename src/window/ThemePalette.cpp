#include "window/ThemePalette.h"
#include "views/common/ThemeColors.h"

#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <memory>

namespace {

void setAllGroups(QPalette &palette, QPalette::ColorRole role, const QColor &color)
{
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
}

void setDisabled(QPalette &palette, QPalette::ColorRole role, const QColor &color)
{
    palette.setColor(QPalette::Disabled, role, color);
}

} // namespace

QPalette ThemePalette::lightPalette()
{
    // Fusion's own light palette, so the forced light look matches what the
    // style draws on a light desktop.
    static const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    return fusion ? fusion->standardPalette() : QPalette(QColor(239, 239, 239));
}

QPalette ThemePalette::darkPalette()
{
    QPalette palette;
    const QColor text(232, 232, 232);
    const QColor disabledText(122, 122, 122);
    setAllGroups(palette, QPalette::Window, QColor(38, 38, 38));
    setAllGroups(palette, QPalette::WindowText, text);
    setAllGroups(palette, QPalette::Base, QColor(30, 30, 30));
    setAllGroups(palette, QPalette::AlternateBase, QColor(46, 46, 46));
    setAllGroups(palette, QPalette::ToolTipBase, QColor(58, 58, 58));
    setAllGroups(palette, QPalette::ToolTipText, text);
    setAllGroups(palette, QPalette::PlaceholderText, QColor(150, 150, 150));
    setAllGroups(palette, QPalette::Text, text);
    setAllGroups(palette, QPalette::Button, QColor(56, 56, 56));
    setAllGroups(palette, QPalette::ButtonText, text);
    setAllGroups(palette, QPalette::BrightText, QColor(255, 105, 97));
    setAllGroups(palette, QPalette::Light, QColor(80, 80, 80));
    setAllGroups(palette, QPalette::Midlight, QColor(64, 64, 64));
    setAllGroups(palette, QPalette::Mid, QColor(48, 48, 48));
    setAllGroups(palette, QPalette::Dark, QColor(24, 24, 24));
    setAllGroups(palette, QPalette::Shadow, QColor(0, 0, 0));
    setAllGroups(palette, QPalette::HighlightedText, QColor(255, 255, 255));
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Link, QColor(90, 160, 255));
        palette.setColor(group, QPalette::LinkVisited, QColor(180, 140, 255));
    }
    setDisabled(palette, QPalette::Window, QColor(38, 38, 38));
    setDisabled(palette, QPalette::Base, QColor(34, 34, 34));
    setDisabled(palette, QPalette::Button, QColor(48, 48, 48));
    setDisabled(palette, QPalette::WindowText, disabledText);
    setDisabled(palette, QPalette::Text, disabledText);
    setDisabled(palette, QPalette::ButtonText, disabledText);
    setDisabled(palette, QPalette::PlaceholderText, QColor(100, 100, 100));
    setDisabled(palette, QPalette::Highlight, QColor(70, 70, 70));
    setDisabled(palette, QPalette::HighlightedText, disabledText);
    return palette;
}

bool ThemePalette::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness()
        < palette.color(QPalette::WindowText).lightness();
}

QPalette ThemePalette::palette(AppTheme theme, const QPalette &systemPalette)
{
    QPalette result = systemPalette;
    if (const auto scheme = colorScheme(theme))
        result = *scheme == ColorScheme::dark ? darkPalette() : lightPalette();

    const QColor accent = accentColor(theme);
    setAllGroups(result, QPalette::Highlight, accent);
    setAllGroups(result, QPalette::HighlightedText, textOnAccent(accent));
    return result;
}

void ThemePalette::apply(QWidget *window, AppTheme theme, const QPalette &systemPalette)
{
    window->setPalette(palette(theme, systemPalette));
}
