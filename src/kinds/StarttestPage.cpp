// The start prompt page, shown while a start or preheat energy test waits for the lamp.
#include "kinds/StarttestPage.h"

#include "kinds/PageConventions.h"

namespace korvex {

void drawStartPrompt(PageCanvas& c)
{
    // Fixed device units: the prompt neither scales nor changes with the language.
    c.fillRect(0, 0, c.width(), c.height(), colours::white);
    c.setFont(kFontTimes, 20, colours::black, kDefaultCharset);
    c.setTextAlign(TextAlign::Centre);
    c.textOut(320, 10, "启动测试，先关灯，再开灯！");
}

} // namespace korvex
