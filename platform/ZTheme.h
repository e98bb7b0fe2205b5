#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>

class QPainter;
class QWidget;

// The house look shared by the widgets of this library: colours, fonts,
// bars and the small pictures drawn when no picture file is given.
// Internal to the widget set.
namespace ZTheme {

inline const QColor ink(0x1b, 0x1f, 0x27);
inline const QColor mutedInk(0x6b, 0x72, 0x80);
inline const QColor paper(0xfb, 0xfc, 0xfe);
inline const QColor rowLine(0xe3, 0xe7, 0xee);
inline const QColor panel(0xf3, 0xf5, 0xf9);
inline const QColor panelBorder(0x8a, 0x96, 0xaa);
inline const QColor accent(0x2f, 0x6d, 0xc4);
inline const QColor accentDark(0x1f, 0x4f, 0x96);
inline const QColor barTop(0x4a, 0x50, 0x5c);
inline const QColor barBottom(0x22, 0x26, 0x2e);
inline const QColor titleTop(0x2c, 0x5c, 0x9e);
inline const QColor titleBottom(0x1b, 0x3c, 0x6e);
inline const QColor disabledInk(0xa0, 0xa6, 0xb0);

enum { TitleHeight = 22, SoftKeyHeight = 26, TabStripHeight = 28 };

// The font of the phone screens, pixel-sized so that offscreen rendering
// and every display give the same layout.
QFont font(int pixelSize = 12, bool bold = false);
// Gives a top-level screen or dialog the phone font and palette.
void styleTopLevel(QWidget* widget);

void paintBar(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom);
void paintHighlight(QPainter& p, const QRect& r);

// A picture scaled down (never up) to fit the box, keeping its shape.
QPixmap fitted(const QPixmap& pixmap, const QSize& box);

enum class Glyph { Question, Information, Wait, Success, Warning };
QPixmap glyph(Glyph kind, int size);

} // namespace ZTheme
