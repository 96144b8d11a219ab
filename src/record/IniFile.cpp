// Splitting a settings text into sections and entries, with the line of everything found.
#include "record/IniFile.h"

namespace korvex {

namespace {

std::string_view trim(std::string_view s)
{
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos)
        return {};
    const size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool validUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len = 0;
        if (c < 0x80)
            len = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            len = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            len = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            len = 4;
        else
            return false;
        if (i + len > s.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

/// The value without a comment that a blank and '#' begin.
std::string_view withoutComment(std::string_view value)
{
    for (size_t i = 1; i < value.size(); ++i)
        if (value[i] == '#' && (value[i - 1] == ' ' || value[i - 1] == '\t'))
            return value.substr(0, i);
    return value;
}

} // namespace

const IniSection* IniDocument::find(const std::string& name) const
{
    for (const IniSection& s : sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

IniDocument parseIni(std::string_view text)
{
    IniDocument doc;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    doc.sections.push_back(IniSection{});
    IniSection* current = &doc.sections.back();
    bool known = true;
    auto fail = [&](int line, std::string message, std::string zh) {
        doc.errors.push_back(
            IniError{line, std::move(message), known ? current->name : std::string(), known, std::move(zh)});
    };
    int lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        ++lineNo;
        const std::string_view line = trim(text.substr(pos, end - pos));
        pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (!validUtf8(line)) {
            fail(lineNo, "not UTF-8 text (save the file as UTF-8)", "不是 UTF-8 文本（请以 UTF-8 保存文件）");
            continue;
        }
        if (line[0] == '[') {
            const bool closed = line.back() == ']';
            const std::string name(trim(line.substr(1, line.size() - (closed ? 2 : 1))));
            std::string why, whyZh;
            if (!closed) {
                why = "a section line must end with ']'";
                whyZh = "节的行须以 ']' 结尾";
            } else if (name.empty()) {
                why = "empty section name";
                whyZh = "节名为空";
            } else if (doc.find(name)) {
                why = "section [" + name + "] appears twice";
                whyZh = "节 [" + name + "] 出现两次";
            }
            if (!why.empty()) {
                // Which section the following lines belong to is unknown: they are not read.
                known = false;
                fail(lineNo, why, whyZh);
                continue;
            }
            doc.sections.push_back(IniSection{name, lineNo, {}});
            current = &doc.sections.back();
            known = true;
            continue;
        }
        if (!known)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            fail(lineNo, "expected 'key = value' or '[name]', found '" + std::string(line) + "'",
                 "应为 'key = value' 或 '[name]'，而不是 '" + std::string(line) + "'");
            continue;
        }
        const std::string key(trim(line.substr(0, eq)));
        if (key.empty()) {
            fail(lineNo, "the key before '=' is missing", "'=' 前缺少键名");
            continue;
        }
        bool twice = false;
        for (const IniEntry& e : current->entries)
            twice = twice || e.key == key;
        if (twice) {
            fail(lineNo,
                 "'" + key + "' is given twice" +
                     (current->name.empty() ? std::string() : " in [" + current->name + "]"),
                 (current->name.empty() ? std::string() : "[" + current->name + "] 中") + "'" + key + "' 出现两次");
            continue;
        }
        current->entries.push_back(IniEntry{lineNo, key, std::string(trim(withoutComment(line.substr(eq + 1))))});
    }
    if (doc.sections.front().entries.empty())
        doc.sections.erase(doc.sections.begin()); // no lines before the first section
    return doc;
}

std::string iniErrorText(const IniError& e)
{
    return "line " + std::to_string(e.line) + ": " + e.message;
}

std::string iniErrorTextZh(const IniError& e)
{
    return "第 " + std::to_string(e.line) + " 行：" + (e.messageZh.empty() ? e.message : e.messageZh);
}

} // namespace korvex
