// Fonts and text placement shared by the screen and printer canvases.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>

#include "kinds/PageCanvas.h"

namespace korvex {

/// Maps the pages' face names onto installed fonts ("Times New Roman" -> Liberation Serif,
/// "宋体", "T 宋体", "SimSun" -> AR PL UMing CN). Call once at program start, before any
/// font is created.
void installPageFonts();

/// A font of the face whose ascent + descent comes closest to cellHeight pixels (the pages
/// give cell heights, as the classic Windows canvas did). Results are cached.
QFont pageFont(const std::string& name, int cellHeight);

/// Draws text with its top point at p, aligned left/centre/right, rotated by escapement
/// tenths of a degree counter-clockwise about p. A text wider than maxWidth (when above 0) is
/// condensed along its line to that width.
void drawPageText(QPainter& painter, const QFont& font, const QColor& colour, QPointF p, TextAlign align,
                  int escapement, const QString& text, double maxWidth = 0);

/// The factor (at most 1) that condenses a text of width advance to maxWidth; 1 when it fits
/// or no width is given.
double condensing(double advance, double maxWidth);

} // namespace korvex
