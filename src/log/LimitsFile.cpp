// Reading the limits file as a whole, the [log] section's keys, and the watch on the file.
#include "log/LimitsFile.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QFileSystemWatcher>
#include <QtCore/QUrl>
#include <QtCore/QUrlQuery>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "record/FileUtil.h"
#include "record/IniFile.h"

namespace korvex {

namespace {

constexpr size_t kMaxBytes = 1 << 20; // far more than any set of ballast types needs

/// Why a setting cannot be used, in English and Chinese; empty when it can.
struct Fault {
    std::string en, zh;
    bool empty() const { return en.empty(); }
};

/// Why a database setting cannot be used, or empty.
Fault databaseFault(const std::string& value)
{
    if (value.empty())
        return {"'database' is empty (leave the line out for the log beside the program)",
                "'database' 为空（使用程序旁的结果记录时请删去此行）"};
    const size_t scheme = value.find("://");
    if (scheme == std::string::npos)
        return {}; // a file
    const std::string name = value.substr(0, scheme);
    if (name != "postgresql" && name != "postgres")
        return {"'database' must be a postgresql:// URL or a file, not '" + value + "'",
                "'database' 应为 postgresql:// 网址或文件，而不是 '" + value + "'"};
    const QUrl url(QString::fromStdString(value), QUrl::StrictMode);
    if (!url.isValid())
        return {"'database' is not a valid URL: " + url.errorString().toStdString(),
                "'database' 不是有效的网址：" + url.errorString().toStdString()};
    const QUrlQuery query(url);
    if (url.host().isEmpty() && !query.hasQueryItem(QStringLiteral("host")))
        return {"'database' names no server (postgresql://user@host:port/database)",
                "'database' 未指明服务器（postgresql://user@host:port/database）"};
    if (url.path().size() < 2)
        return {"'database' names no database (postgresql://user@host:port/database)",
                "'database' 未指明数据库（postgresql://user@host:port/database）"};
    return {};
}

LogSettings readLogSection(const IniDocument& doc, std::vector<IniError>& errors)
{
    LogSettings s;
    const IniSection* section = doc.find(kLogSectionName);
    if (!section)
        return s;
    for (const IniEntry& e : section->entries) {
        Fault why;
        if (e.key == "database") {
            why = databaseFault(e.value);
            s.database = QString::fromStdString(e.value);
        } else if (e.key == "bench") {
            if (e.value.empty())
                why = {"'bench' is empty (leave the line out for the host name)",
                       "'bench' 为空（使用主机名时请删去此行）"};
            s.bench = QString::fromStdString(e.value);
        } else {
            why = {"unknown key '" + e.key + "' in [log] (known: database, bench)",
                   "[log] 中的未知键 '" + e.key + "'（可用的键：database、bench）"};
        }
        if (!why.empty())
            errors.push_back(IniError{e.line, why.en, kLogSectionName, true, why.zh});
    }
    return s;
}

bool sameContent(const LimitsFile& a, const LimitsFile& b)
{
    return a.error == b.error && a.logUsable == b.logUsable && a.profiles.profiles == b.profiles.profiles &&
           a.log.database == b.log.database && a.log.bench == b.log.bench && a.archive == b.archive;
}

} // namespace

QString limitsFilePath(const QString& dir)
{
    return QDir(dir).filePath(QLatin1String(kProfileFileName));
}

LimitsFile readLimitsFile(const QString& path, bool createMissing)
{
    LimitsFile f;
    f.path = path;
    const std::string local = QFile::encodeName(path).toStdString();
    const QString name = QFileInfo(path).fileName();
    if (!pathExists(local)) {
        // No file: the default limits and the default log. On first use the file is written
        // with the defaults and their explanation, for the operator to edit; should that fail
        // (a folder that cannot be written), the defaults apply all the same.
        if (createMissing)
            createFileExclusively(local, profileFileText(ProfileSet{}));
        if (!pathExists(local))
            return f;
    }
    std::string text;
    if (!readWholeFile(local, text, kMaxBytes + 1)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        f.fault = QStringLiteral("cannot be read (%1)").arg(reason);
        f.faultZh = QStringLiteral("无法读取（%1）").arg(reason);
        f.error = name + QLatin1String(": ") + f.fault;
        f.errorZh = name + QLatin1String("：") + f.faultZh;
        f.logUsable = false;
        return f;
    }
    if (text.size() > kMaxBytes) {
        f.fault = QStringLiteral("larger than %1 bytes, not a limits file").arg(kMaxBytes);
        f.faultZh = QStringLiteral("大于 %1 字节，不是限值文件").arg(kMaxBytes);
        f.error = name + QLatin1String(": ") + f.fault;
        f.errorZh = name + QLatin1String("：") + f.faultZh;
        f.logUsable = false;
        return f;
    }
    const IniDocument doc = parseIni(text);
    std::vector<IniError> errors = doc.errors;
    f.profiles = readProfiles(doc, errors);
    f.log = readLogSection(doc, errors);
    f.archive = readArchiveSettings(doc, errors);
    if (errors.empty()) {
        if (f.archive.on()) {
            // A relative folder lies beside the limits file, wherever the program was started.
            const QString folder = QString::fromStdString(f.archive.folder);
            f.archive.folder = QDir::cleanPath(QFileInfo(path).absoluteDir().absoluteFilePath(folder)).toStdString();
        }
        return f;
    }
    std::stable_sort(errors.begin(), errors.end(),
                     [](const IniError& a, const IniError& b) { return a.line < b.line; });
    f.fault = QString::fromStdString(iniErrorText(errors.front()));
    f.error = name + QLatin1Char(' ') + f.fault;
    f.faultZh = QString::fromStdString(iniErrorTextZh(errors.front()));
    f.errorZh = name + QLatin1Char(' ') + f.faultZh;
    f.logUsable = std::none_of(errors.begin(), errors.end(),
                               [](const IniError& e) { return !e.sectionKnown || e.section == kLogSectionName; });
    f.profiles = ProfileSet{};
    f.archive = ArchiveSettings{};
    if (!f.logUsable)
        f.log = LogSettings{};
    return f;
}

LimitsWatch::LimitsWatch(const QString& path, bool createMissing, QObject* parent)
    : QObject(parent), content_(readLimitsFile(path, createMissing))
{
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &LimitsWatch::refresh);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &LimitsWatch::refresh);
    watch();
}

LimitsWatch::~LimitsWatch() = default;

void LimitsWatch::watch()
{
    // The folder tells of a file created, removed or renamed over (as editors save); the file
    // of a change in place. A file replaced is watched anew.
    const QString dir = QFileInfo(content_.path).absolutePath();
    if (!watcher_->directories().contains(dir))
        watcher_->addPath(dir);
    if (!watcher_->files().contains(content_.path) && QFileInfo::exists(content_.path))
        watcher_->addPath(content_.path);
}

const LimitsFile& LimitsWatch::refresh()
{
    // Removed while the program runs, the file is not written again behind the operator's back
    // (only a program that starts without one writes it): the defaults apply, as without a file.
    LimitsFile fresh = readLimitsFile(content_.path, false);
    watch();
    if (!sameContent(fresh, content_)) {
        content_ = std::move(fresh);
        emit changed();
    }
    return content_;
}

} // namespace korvex
