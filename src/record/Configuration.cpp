// KORVEX.cfg: default lines, key lookup by substring, load and atomic save.
#include "record/Configuration.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "record/FileUtil.h"
#include "record/NumberFormat.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

/// The ten text keys and their fields, in file order.
struct TextKey {
    const char* key;
    char* (*field)(TestRecord&);
    size_t size;
};

#define KTEXT(key, member)                                                                                             \
    {                                                                                                                  \
        key, [](TestRecord& r) -> char* { return r.member; }, sizeof(TestRecord::member)                               \
    }
const TextKey kTextKeys[] = {
    KTEXT("[Name]", infoName),
    KTEXT("[No]", infoNo),
    KTEXT("[Type]", infoType),
    KTEXT("[Spec]", infoSpec),
    KTEXT("[Tempture]", infoTemperature),
    KTEXT("[Humidity]", infoHumidity),
    KTEXT("[Manuf]", infoManufacturer),
    KTEXT("[Operator]", infoOperator),
    KTEXT("[Liumin]", infoFlux),
    KTEXT("[ColorTemp]", infoColorTemp),
};
#undef KTEXT

int32_t flagOf(const std::string& line)
{
    return (!line.empty() && line[0] == '1') ? 1 : 0;
}

/// A filament parameter: the line's number when it is one that a single float holds,
/// otherwise the value of the default file (a missing key reads line 0, usually empty).
float filamentValue(const std::string& line, const std::string& defaultLine)
{
    double v = 0;
    if (parseNumber(line, v) && std::fabs(v) <= double(std::numeric_limits<float>::max()))
        return static_cast<float>(v);
    parseNumber(defaultLine, v);
    return static_cast<float>(v);
}

} // namespace

const std::vector<std::string>& Configuration::defaultLines()
{
    static const std::vector<std::string> lines = {
        "",    "[Port]",      "COM1", "[Chinese]",  "1",   "[WideFreq]", "0",  "[ThdType]", "0",       "[QPara]",
        "7.0", "[PPara]",     "9.0",  "[FPara]",    "1.5", "[Name]",     "",   "[No]",      "1",       "[Type]",
        "",    "[Spec]",      "",     "[Tempture]", "25",  "[Humidity]", "75", "[Manuf]",   "Tarvane", "[Operator]",
        "",    "[ColorTemp]", "",     "[Liumin]",   "",    "[End]",
    };
    return lines;
}

Configuration::Configuration() : lines_(defaultLines()) {}

int Configuration::findConfigLine(const std::string& key) const
{
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].find(key) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

std::string Configuration::line(int i) const
{
    if (i < 0 || static_cast<size_t>(i) >= lines_.size())
        return {};
    return lines_[static_cast<size_t>(i)];
}

void Configuration::setLine(int i, const std::string& text)
{
    if (i < 0 || static_cast<size_t>(i) >= lines_.size())
        return;
    lines_[static_cast<size_t>(i)] = text;
}

std::vector<std::string> Configuration::splitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

std::string Configuration::fileBytes() const
{
    std::string out;
    for (const std::string& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

void Configuration::applyTo(TestRecord& r, Settings& s) const
{
    storeText(s.portName, value("[Port]"));
    r.chinese = flagOf(value("[Chinese]"));
    r.wideBand = flagOf(value("[WideFreq]"));
    r.thdCsa = flagOf(value("[ThdType]"));
    static const Configuration defaults;
    r.qPara = filamentValue(value("[QPara]"), defaults.value("[QPara]"));
    r.pPara = filamentValue(value("[PPara]"), defaults.value("[PPara]"));
    r.fPara = filamentValue(value("[FPara]"), defaults.value("[FPara]"));
    for (const TextKey& k : kTextKeys)
        storeText(k.field(r), k.size, value(k.key));
}

void Configuration::takeFrom(const TestRecord& r, const Settings& s)
{
    TestRecord& rr = const_cast<TestRecord&>(r); // read only: the accessors serve both ways
    setValue("[Port]", fieldText(s.portName));
    setValue("[Chinese]", r.chinese ? "1" : "0");
    setValue("[WideFreq]", r.wideBand ? "1" : "0");
    setValue("[ThdType]", r.thdCsa ? "1" : "0");
    setValue("[QPara]", formatGeneral(r.qPara));
    setValue("[PPara]", formatGeneral(r.pPara));
    setValue("[FPara]", formatGeneral(r.fPara));
    for (const TextKey& k : kTextKeys)
        setValue(k.key, fieldText(k.field(rr), k.size));
}

void loadConfiguration(const std::string& programDir, Configuration& cfg, TestRecord& r, Settings& s)
{
    const std::string path = programDir + kConfigFileName;
    std::string bytes;
    if (readWholeFile(path, bytes, 1u << 20)) {
        cfg.setLines(Configuration::splitLines(bytes));
    } else if (pathExists(path)) {
        // There, but not readable as a file (a FIFO, a device, no permission): use the
        // defaults and leave whatever it is alone.
        cfg.setLines(Configuration::defaultLines());
    } else {
        cfg.setLines(Configuration::defaultLines());
        replaceFileAtomically(path, cfg.fileBytes());
    }
    cfg.applyTo(r, s);
}

Notice saveConfiguration(const std::string& programDir, Configuration& cfg, const TestRecord& r, const Settings& s)
{
    cfg.takeFrom(r, s);
    if (!replaceFileAtomically(programDir + kConfigFileName, cfg.fileBytes()))
        return Notice::writeFailure("存配置文件失败!", "警告", programDir + kConfigFileName);
    return Notice::success();
}

} // namespace korvex
