// RecordingCanvas: a page canvas that keeps every call, so tests can check what a page draws.
#include "support/RecordingCanvas.h"

#include <algorithm>

namespace korvex {

namespace {
RecordingCanvas::Call makeCall(RecordingCanvas::Op op)
{
    RecordingCanvas::Call c;
    c.op = op;
    return c;
}
} // namespace

void RecordingCanvas::setFont(const std::string& name, int height, Colour colour, int charset, int escapement)
{
    Call c = makeCall(Op::SetFont);
    c.text = name;
    c.size = height;
    c.colour = colour;
    c.charset = charset;
    c.escapement = escapement;
    calls_.push_back(c);
    font_ = name;
    fontHeight_ = height;
    textColour_ = colour;
    escapement_ = escapement;
}

void RecordingCanvas::setTextAlign(TextAlign align)
{
    Call c = makeCall(Op::SetTextAlign);
    c.align = align;
    calls_.push_back(c);
    align_ = align;
}

void RecordingCanvas::textOut(int x, int y, const std::string& text)
{
    Call c = makeCall(Op::TextOut);
    c.x = x;
    c.y = y;
    c.text = text;
    calls_.push_back(c);
    texts_.push_back(Text{x, y, text, font_, fontHeight_, textColour_, align_, escapement_});
}

void RecordingCanvas::textOutWithin(int x, int y, const std::string& text, int width)
{
    Call c = makeCall(Op::TextOutWithin);
    c.x = x;
    c.y = y;
    c.x2 = width;
    c.text = text;
    calls_.push_back(c);
    texts_.push_back(Text{x, y, text, font_, fontHeight_, textColour_, align_, escapement_, width});
}

void RecordingCanvas::setPen(Colour colour, PenStyle style, int width)
{
    Call c = makeCall(Op::SetPen);
    c.colour = colour;
    c.style = style;
    c.size = width;
    calls_.push_back(c);
    penColour_ = colour;
    penStyle_ = style;
    penWidth_ = width;
}

void RecordingCanvas::moveTo(int x, int y)
{
    Call c = makeCall(Op::MoveTo);
    c.x = x;
    c.y = y;
    calls_.push_back(c);
    curX_ = x;
    curY_ = y;
}

void RecordingCanvas::lineTo(int x, int y)
{
    Call c = makeCall(Op::LineTo);
    c.x = curX_;
    c.y = curY_;
    c.x2 = x;
    c.y2 = y;
    calls_.push_back(c);
    lines_.push_back(Line{curX_, curY_, x, y, penColour_, penWidth_, penStyle_});
    curX_ = x;
    curY_ = y;
}

void RecordingCanvas::fillRect(int left, int top, int right, int bottom, Colour colour)
{
    Call c = makeCall(Op::FillRect);
    c.x = left;
    c.y = top;
    c.x2 = right;
    c.y2 = bottom;
    c.colour = colour;
    calls_.push_back(c);
}

void RecordingCanvas::setMetricMode()
{
    calls_.push_back(makeCall(Op::SetMetricMode));
    ++metricDepth_;
}

void RecordingCanvas::restoreMode()
{
    calls_.push_back(makeCall(Op::RestoreMode));
    if (metricDepth_ > 0)
        --metricDepth_;
}

std::vector<RecordingCanvas::Text> RecordingCanvas::textsEqual(const std::string& s) const
{
    std::vector<Text> out;
    std::copy_if(texts_.begin(), texts_.end(), std::back_inserter(out), [&](const Text& t) { return t.text == s; });
    return out;
}

size_t RecordingCanvas::count(Op op) const
{
    return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) { return c.op == op; }));
}

} // namespace korvex
