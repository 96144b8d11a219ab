// Decoding of the wiring picture with libjpeg.
#pragma once

#include <QtCore/QByteArray>
#include <QtGui/QImage>

namespace korvex {

/// Decodes JPEG bytes into an RGB image. Returns a null image for bytes that are not a
/// complete, clean JPEG stream (libjpeg errors and warnings, such as a truncated file, both
/// count as damage), so a damaged picture is never shown half drawn.
QImage decodeJpeg(const QByteArray& bytes);

} // namespace korvex
