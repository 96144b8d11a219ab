// The drawing surface the report pages draw on: screen bitmap, printer sheet or a recorder in tests.
// Plain C++; the Qt implementations live in src/app/canvas.
#pragma once

#include <cstdint>
#include <string>

namespace korvex {

/// An RGB colour.
struct Colour {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

namespace colours {
inline constexpr Colour white{255, 255, 255};
inline constexpr Colour black{0, 0, 0};
inline constexpr Colour blue{0, 0, 255};
inline constexpr Colour red{255, 0, 0};
inline constexpr Colour darkGreen{0, 75, 0};
} // namespace colours

/// Character sets a page may ask for with its font.
inline constexpr int kDefaultCharset = 1;
inline constexpr int kGb2312Charset = 134;

/// Where a text stands relative to its point; the point is always at the top of the text cell.
enum class TextAlign { Left, Centre, Right };

enum class PenStyle { Solid, Dotted };

/// Canvas operations of the report pages. Coordinates and sizes are integer device units:
/// pixels on screen; in the printer's metric mode 0.01 mm with y negative downwards.
class PageCanvas {
  public:
    virtual ~PageCanvas() = default;

    /// Font by face name; height is the cell height (ascent + descent) in device units;
    /// escapement in tenths of a degree (0, 900 reads upwards, 2700 reads downwards).
    virtual void setFont(const std::string& name, int height, Colour colour, int charset, int escapement = 0) = 0;
    /// Stays in force until changed.
    virtual void setTextAlign(TextAlign align) = 0;
    /// UTF-8 text with its alignment point at (x, y).
    virtual void textOut(int x, int y, const std::string& text) = 0;
    /// As textOut, for a text that must stay within width device units (a label that another
    /// text follows at a fixed place): a canvas that knows its fonts draws a wider text
    /// condensed to that width, its height and alignment point unchanged. Without font
    /// knowledge the text is drawn as textOut draws it.
    virtual void textOutWithin(int x, int y, const std::string& text, int width)
    {
        (void)width;
        textOut(x, y, text);
    }

    virtual void setPen(Colour colour, PenStyle style, int width) = 0;
    virtual void moveTo(int x, int y) = 0;
    /// A line from the current point with the current pen; (x, y) becomes the current point.
    virtual void lineTo(int x, int y) = 0;
    /// Fills [left, right) x [top, bottom) with the colour, no outline.
    virtual void fillRect(int left, int top, int right, int bottom, Colour colour) = 0;

    /// Size of the drawing area in device pixels.
    virtual int width() const = 0;
    virtual int height() const = 0;

    /// Switches to 0.01 mm units with y growing upwards (printer); restoreMode() returns to
    /// the mode in force before. Screen canvases ignore both.
    virtual void setMetricMode() = 0;
    virtual void restoreMode() = 0;
};

} // namespace korvex
