// The rule that decides between a portable copy and an installed program.
#include "log/Locations.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QStandardPaths>

#include "kinds/VerdictProfile.h"
#include "log/LimitsFile.h"
#include "log/LogSettings.h"
#include "record/Configuration.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace korvex {

namespace {

// The folder name under the platform's configuration and data folders. The generic locations
// with a fixed name, not Qt's per-application ones: korvex, korvex-cli and the tests are
// different applications to Qt, and they must share one set of files.
const QString kFolderName = QStringLiteral("korvex");

QString withSeparator(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

bool writableFolder(const QString& dir)
{
#ifdef Q_OS_UNIX
    // The kernel's answer for this process, root and access lists included; the mode bits
    // alone would call a folder on a read-only medium writable.
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
#else
    return QFileInfo(dir).isWritable();
#endif
}

} // namespace

QString Locations::configFile() const
{
    return configDir + QLatin1String(kConfigFileName);
}

QString Locations::limitsFile() const
{
    return limitsFilePath(limitsDir);
}

LogTarget Locations::logTarget() const
{
    // The [log] section of the limits file in use names the log; the default file, the queue
    // and the set-aside file lie in the data folder, never in a plant-wide one.
    return logTargetOf(readLimitsFile(limitsFile(), false), dataDir);
}

LogTarget Locations::logTarget(const QString& text) const
{
    return text.isEmpty() ? logTarget() : LogTarget::parse(text, dataDir);
}

bool isSystemFolder(const QString& dir)
{
    const QString path = QDir::cleanPath(QFileInfo(dir).absoluteFilePath()) + QLatin1Char('/');
    for (const char* root : {"/usr/", "/bin/", "/sbin/"})
        if (path.startsWith(QLatin1String(root)))
            return true;
    // An installation below some prefix: a package unpacked into a folder, a program installed
    // under /usr/local or into the user's own ~/.local/bin.
    for (const char* tail : {"/usr/bin/", "/usr/local/bin/", "/usr/games/", "/.local/bin/"})
        if (path.endsWith(QLatin1String(tail)))
            return true;
    return false;
}

Locations locationsFor(const QString& programDir)
{
    Locations l;
    l.programDir = withSeparator(QDir::cleanPath(QFileInfo(programDir).absoluteFilePath()));
    const QString folder = QDir::toNativeSeparators(l.programDir);
    const QLatin1String config(kConfigFileName);
    if (isSystemFolder(l.programDir)) {
        l.reason = QStringLiteral("installed: %1 is a system folder").arg(folder);
        l.reasonZh = QStringLiteral("安装版：%1 是系统文件夹").arg(folder);
    } else if (!writableFolder(l.programDir)) {
        l.reason = QStringLiteral("installed: %1 is not writable").arg(folder);
        l.reasonZh = QStringLiteral("安装版：%1 不可写").arg(folder);
    } else if (QFileInfo::exists(l.programDir + config)) {
        l.portable = true;
        l.reason = QStringLiteral("portable: %1 is writable and holds %2").arg(folder, config);
        l.reasonZh = QStringLiteral("便携版：%1 可写且有 %2").arg(folder, config);
    } else {
        // A program folder copied to a bench PC, before its first run has written the settings:
        // the files belong beside the program as they always did.
        l.portable = true;
        l.reason = QStringLiteral("portable: %1 is writable and not a system folder").arg(folder);
        l.reasonZh = QStringLiteral("便携版：%1 可写且不是系统文件夹").arg(folder);
    }
    if (l.portable) {
        l.configDir = l.dataDir = l.limitsDir = l.programDir;
        return l;
    }
    l.configDir = withSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                QLatin1Char('/') + kFolderName);
    l.dataDir = withSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
                              kFolderName);
    // The user's own file first, then the system's folders in their order (XDG_CONFIG_DIRS).
    const QString found = QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                                 kFolderName + QLatin1Char('/') + QLatin1String(kProfileFileName));
    l.limitsDir = l.configDir;
    if (!found.isEmpty() && !QFileInfo::exists(l.limitsFile())) {
        l.limitsDir = withSeparator(QFileInfo(found).absolutePath());
        l.limitsSystemWide = true;
    }
    return l;
}

Locations programLocations()
{
    return locationsFor(QCoreApplication::applicationDirPath());
}

bool makeLocationFolders(const Locations& where, QString* error)
{
    for (const QString& dir : {where.configDir, where.dataDir}) {
        if (QDir().mkpath(dir))
            continue;
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    return true;
}

QString describeLocations(const Locations& where, bool chinese)
{
    const LimitsFile file = readLimitsFile(where.limitsFile(), false);
    const LogTarget log = logTargetOf(file, where.dataDir);
    auto native = [](const QString& p) { return QDir::toNativeSeparators(p); };
    // The labels padded to one column in a fixed-width font (a Chinese character is two wide).
    auto line = [chinese](const char* en, const char* zh, const QString& value) {
        return QString::fromUtf8(chinese ? zh : en) + value + QLatin1Char('\n');
    };
    QString limits = native(where.limitsFile());
    if (where.limitsSystemWide)
        limits += (chinese ? QStringLiteral("（全厂通用；用户没有 %1）")
                           : QStringLiteral(" (plant-wide; the user has no %1)"))
                      .arg(native(where.configDir + QLatin1String(kProfileFileName)));
    else if (!QFileInfo::exists(where.limitsFile()))
        limits += chinese ? QStringLiteral("（首次使用时以默认值写入）")
                          : QStringLiteral(" (written with the defaults on first use)");
    if (!file.ok())
        limits += chinese
                      ? QStringLiteral("（有误，%1：不作判定）").arg(file.faultZh.isEmpty() ? file.fault : file.faultZh)
                      : QStringLiteral(" (damaged, %1: nothing is judged)").arg(file.fault);
    QString logText = log.isServer() ? log.display() : native(log.path);
    if (!log.unusable.isEmpty())
        logText = chinese
                      ? QStringLiteral("%1（限值文件 %2 有误：%3；修正前测试结果暂不写入）")
                            .arg(log.display(), native(file.path), file.faultZh.isEmpty() ? file.fault : file.faultZh)
                      : QStringLiteral("%1 (%2)").arg(log.display(), log.unusable);
    QString text = line("mode       ", "模式      ", chinese ? where.reasonZh : where.reason);
    text += line("settings   ", "设置      ", native(where.configFile()));
    text += line("limits     ", "限值      ", limits);
    text += line("log        ", "结果记录  ", logText);
    if (log.isServer())
        text += line("queue      ", "待写队列  ", native(log.queuePath));
    text += line("set aside  ", "暂存      ", native(log.unwrittenPath));
    return text;
}

} // namespace korvex
