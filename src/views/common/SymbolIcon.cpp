#include "views/common/SymbolIcon.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>

namespace {

const QHash<QString, char16_t> &glyphs()
{
    // Material Icons code points, chosen for the closest shape to each symbol.
    static const QHash<QString, char16_t> map {
        {QStringLiteral("checkmark.seal.fill"), 0xef76}, // verified
        {QStringLiteral("shield.checkerboard"), 0xe32a}, // security
        {QStringLiteral("bag.fill"), 0xf1cc}, // shopping_bag
        {QStringLiteral("cart.fill"), 0xe8cc}, // shopping_cart
        {QStringLiteral("globe"), 0xe894}, // language
        {QStringLiteral("lock.fill"), 0xe897}, // lock
        {QStringLiteral("lock.open.fill"), 0xe898}, // lock_open
        {QStringLiteral("cart.badge.questionmark"), 0xe1d1}, // production_quantity_limits
        {QStringLiteral("magnifyingglass"), 0xe8b6}, // search
        {QStringLiteral("xmark.circle.fill"), 0xe5c9}, // cancel
        {QStringLiteral("xmark"), 0xe5cd}, // close
        {QStringLiteral("chevron.left"), 0xe5cb}, // chevron_left
        {QStringLiteral("chevron.right"), 0xe5cc}, // chevron_right
        {QStringLiteral("arrow.clockwise"), 0xe5d5}, // refresh
        {QStringLiteral("star"), 0xe83a}, // star_border
        {QStringLiteral("star.fill"), 0xe838}, // star
        {QStringLiteral("paintpalette"), 0xe40a}, // palette
        {QStringLiteral("paintpalette.fill"), 0xe40a}, // palette
        {QStringLiteral("checkmark"), 0xe5ca}, // check
        {QStringLiteral("checkmark.circle.fill"), 0xe86c}, // check_circle
        {QStringLiteral("shield.slash.fill"), 0xe9d4}, // remove_moderator
        {QStringLiteral("lock.slash.fill"), 0xe641}, // no_encryption
        {QStringLiteral("gearshape.fill"), 0xe8b8}, // settings
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002}, // warning
        {QStringLiteral("arrow.left.circle.fill"), 0xeaa7}, // arrow_circle_left
        {QStringLiteral("bookmark.slash"), 0xe59a}, // bookmark_remove
        {QStringLiteral("trash"), 0xe92e}, // delete_outline
        {QStringLiteral("plus"), 0xe145}, // add
        {QStringLiteral("info.circle.fill"), 0xe88e}, // info
        {QStringLiteral("list.bullet.rectangle"), 0xe0ee}, // list_alt
        {QStringLiteral("cart.badge.shield.checkmarks.fill"), 0xe8e8}, // verified_user
        {QStringLiteral("chevron.up"), 0xe5ce}, // expand_less
        {QStringLiteral("chevron.down"), 0xe5cf}, // expand_more
        {QStringLiteral("arrow.down.circle"), 0xf090}, // download
        {QStringLiteral("doc"), 0xe873}, // description
        {QStringLiteral("folder"), 0xe2c8}, // folder_open
        {QStringLiteral("arrow.up.right.square"), 0xe89e}, // open_in_new
        {QStringLiteral("nosign"), 0xe14b}, // block
        {QStringLiteral("exclamationmark.circle.fill"), 0xe000}, // error
        {QStringLiteral("clock.arrow.circlepath"), 0xe889}, // history
        {QStringLiteral("clock.badge.xmark"), 0xf17d}, // history_toggle_off
        {QStringLiteral("eye.slash"), 0xe8f5}, // visibility_off
        {QStringLiteral("hourglass"), 0xe88b}, // hourglass_empty
    };
    return map;
}

constexpr char16_t fallbackGlyph = 0xe8fd; // help_outline

QString fontFamily()
{
    static const QString family = [] {
        const QString name = QStringLiteral("Material Icons");
        if (QFontDatabase::families().contains(name))
            return name;
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(
            "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? name : families.first();
    }();
    return family;
}

} // namespace

QString SymbolIcon::glyph(const QString &symbolName)
{
    return QString(QChar(glyphs().value(symbolName, fallbackGlyph)));
}

bool SymbolIcon::isKnown(const QString &symbolName)
{
    return glyphs().contains(symbolName);
}

QFont SymbolIcon::font(int pixelSize)
{
    QFont font(fontFamily());
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

QPixmap SymbolIcon::pixmap(const QString &symbolName, const QColor &color, int pixelSize,
                           qreal devicePixelRatio)
{
    const int side = qRound(pixelSize * devicePixelRatio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font(pixelSize));
    painter.setPen(color);
    painter.drawText(QRectF(0, 0, pixelSize, pixelSize), Qt::AlignCenter, glyph(symbolName));
    return pixmap;
}

QIcon SymbolIcon::icon(const QString &symbolName, const QColor &color, int pixelSize)
{
    return QIcon(pixmap(symbolName, color, pixelSize));
}

QIcon SymbolIcon::buttonIcon(const QString &symbolName, const QColor &color,
                             const QColor &disabledColor, int pixelSize)
{
    QIcon icon;
    icon.addPixmap(pixmap(symbolName, color, pixelSize), QIcon::Normal);
    icon.addPixmap(pixmap(symbolName, disabledColor, pixelSize), QIcon::Disabled);
    return icon;
}
