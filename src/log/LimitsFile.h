// KORVEX-limits.ini beside the configuration: the verdict profiles, the results log's
// settings ([log]) and the archive's ([archive]), read by the one settings reader and checked as one file; and a watch
// that keeps its content current while the program runs.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

#include "kinds/ArchiveSettings.h"
#include "kinds/VerdictProfile.h"

class QFileSystemWatcher;

namespace korvex {

/// The [log] section: "database = postgresql://..." or a file, and "bench = Line 2".
struct LogSettings {
    QString database; ///< an SQLite file or a postgresql:// URL; empty: the default file
    QString bench;    ///< empty: the host name
};

struct LimitsFile {
    QString path;
    ProfileSet profiles; ///< to be used only when ok()
    LogSettings log;     ///< to be used only when logUsable
    /// The [archive] section, its folder made absolute against the file's folder; off (the
    /// defaults) unless the whole file was read without fault.
    ArchiveSettings archive;
    /// The first thing wrong, naming the file and its line ("KORVEX-limits.ini line 4: ...");
    /// empty when the whole file was read without fault.
    QString error;
    /// The same without the file's name ("line 4: ..." or "cannot be read (...)").
    QString fault;
    /// error and fault in Chinese, for a window showing Chinese ("KORVEX-limits.ini 第 4 行：...").
    QString errorZh, faultZh;
    /// [log] was read without fault: no error in it, and no section line that could not be read
    /// (it might have been [log]). A file without [log] is usable: the default log.
    bool logUsable = true;

    bool ok() const { return error.isEmpty(); }
};

QString limitsFilePath(const QString& dir);

/// Reads the file. No file means the default limits and the default log; with createMissing
/// such a file is first written with the defaults. An existing file is never written, whatever
/// it holds. A file that cannot be read is damaged, [log] included.
LimitsFile readLimitsFile(const QString& path, bool createMissing);

/// The content of a limits file, kept current while the program runs: the folder and the file
/// are watched (a notification; no file is opened for it) and the file is read again when either
/// reports a change, and whenever refresh() is asked (before each judgement).
class LimitsWatch : public QObject {
    Q_OBJECT
  public:
    LimitsWatch(const QString& path, bool createMissing, QObject* parent = nullptr);
    ~LimitsWatch() override;

    /// The content as last read (no file access).
    const LimitsFile& current() const { return content_; }
    /// Reads the file again now; returns the content.
    const LimitsFile& refresh();
    const QString& path() const { return content_.path; }

  signals:
    /// The file was read again and its content or its faults differ.
    void changed();

  private:
    void watch();

    LimitsFile content_;
    QFileSystemWatcher* watcher_ = nullptr;
};

} // namespace korvex
