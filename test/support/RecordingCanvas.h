// RecordingCanvas: a page canvas that keeps every call, so tests can check what a page draws.
#pragma once

#include <string>
#include <vector>

#include "kinds/PageCanvas.h"

namespace korvex {

class RecordingCanvas : public PageCanvas {
  public:
    enum class Op {
        SetFont,
        SetTextAlign,
        TextOut,
        TextOutWithin,
        SetPen,
        MoveTo,
        LineTo,
        FillRect,
        SetMetricMode,
        RestoreMode
    };

    /// One call with the arguments that apply to it.
    struct Call {
        Op op = Op::SetFont;
        int x = 0, y = 0, x2 = 0, y2 = 0; // points; FillRect: left, top, right, bottom; TextOutWithin: x2 the width
        std::string text;                 // TextOut text; SetFont face name
        Colour colour;
        int size = 0; // font height or pen width
        int charset = 0;
        int escapement = 0;
        TextAlign align = TextAlign::Left;
        PenStyle style = PenStyle::Solid;
    };

    /// A text as it lands on the page, with the state in force when it was drawn.
    struct Text {
        int x, y;
        std::string text;
        std::string font;
        int height;
        Colour colour;
        TextAlign align;
        int escapement;
        int within = 0; ///< the width the text must stay within (textOutWithin); 0: none
    };

    /// A line segment with its pen.
    struct Line {
        int x1, y1, x2, y2;
        Colour colour;
        int width;
        PenStyle style;
    };

    RecordingCanvas(int width = 640, int height = 385) : width_(width), height_(height) {}

    void setFont(const std::string& name, int height, Colour colour, int charset, int escapement = 0) override;
    void setTextAlign(TextAlign align) override;
    void textOut(int x, int y, const std::string& text) override;
    void textOutWithin(int x, int y, const std::string& text, int width) override;
    void setPen(Colour colour, PenStyle style, int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void fillRect(int left, int top, int right, int bottom, Colour colour) override;
    int width() const override { return width_; }
    int height() const override { return height_; }
    void setMetricMode() override;
    void restoreMode() override;

    const std::vector<Call>& calls() const { return calls_; }
    const std::vector<Text>& texts() const { return texts_; }
    const std::vector<Line>& lines() const { return lines_; }
    /// Texts equal to s, in drawing order.
    std::vector<Text> textsEqual(const std::string& s) const;
    /// Number of calls of one kind.
    size_t count(Op op) const;
    bool metricMode() const { return metricDepth_ > 0; }

  private:
    int width_, height_;
    std::vector<Call> calls_;
    std::vector<Text> texts_;
    std::vector<Line> lines_;
    std::string font_;
    int fontHeight_ = 0;
    Colour textColour_;
    int escapement_ = 0;
    TextAlign align_ = TextAlign::Left;
    Colour penColour_;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    int curX_ = 0, curY_ = 0;
    int metricDepth_ = 0;
};

} // namespace korvex
