// The archive of tested ballasts: after each ballast its data file, a PDF of its plan's pages
// and the verdict sheet, and its line in the day's CSV, written off the window's thread.
#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "kinds/ArchiveSettings.h"
#include "kinds/BallastStats.h"
#include "kinds/Verdict.h"
#include "record/TestRecord.h"

class QThread;

namespace korvex {

/// One tested ballast to archive.
struct ArchiveItem {
    TestRecord record;          ///< the ballast's own results (written as its data file)
    std::vector<int32_t> kinds; ///< the plan's pages, in order (kinds 1-6); may be empty
    Verdict verdict;            ///< drawn on the verdict sheet after the pages
    /// Names the files ({verdict}): pass, fail, incomplete or unjudged.
    BallastResult result = BallastResult::Incomplete;
    std::string serial, type; ///< UTF-8; made safe for file names
    /// Names the files ({date}, {time}) and the day's CSV, in local time; invalid: now.
    QDateTime endedAt;
    bool chinese = false; ///< language of the PDF
};

/// What was written for one item. Files are kept as far as they could be written: a failure
/// names the files that were not.
struct ArchiveReport {
    bool ok = false;
    std::string folder;               ///< the archive folder
    std::vector<std::string> written; ///< paths written: data file, PDF, day's CSV
    /// English, when not ok: the folder or file, what was not written and why
    /// ("/srv/a: not written: 2024-05-01/SN1_pass.pdf (No space left on device), the line of
    /// SN1 in 2024-05-01.csv (No space left on device)").
    std::string error;
    /// English, also when ok: something the writer put right (a day's CSV whose last line had
    /// no line end got one before the new line).
    std::string warning;
};

/// Writes one item now, on the calling thread: the data file ("<name>.kvx", as every data file
/// is), the PDF ("<name>.pdf": the kinds' print pages, then the verdict sheet) and the record's
/// spreadsheet line appended to "<folder>/<YYYY-MM-DD>.csv" (the title line first in a new
/// file). <name> is the expanded pattern; when a file of that name exists, "_2", "_3", ... is
/// added, never replacing a file. Needs a QGuiApplication with the page fonts installed; the
/// settings must be on with a usable pattern. For korvex-cli; the window uses ArchiveWriter.
ArchiveReport writeArchive(const ArchiveItem& item, const ArchiveSettings& settings);

/// Writes items on a thread of its own, one after the other in the order given. enqueue
/// returns at once; each item ends in done or failed, delivered on the writer's own thread.
/// Destroying the writer finishes the items already queued first.
class ArchiveWriter : public QObject {
    Q_OBJECT
  public:
    explicit ArchiveWriter(QObject* parent = nullptr);
    ~ArchiveWriter() override;

    /// Queues an item with the settings in force when the ballast ended.
    void enqueue(ArchiveItem item, ArchiveSettings settings);
    /// Items queued and not yet reported.
    int pending() const { return pending_; }

  signals:
    /// Every file of the item was written (data file, PDF, day's CSV); warning as in ArchiveReport.
    void done(const QStringList& paths, const QString& warning);
    /// Something was not written: the folder and the reason naming what.
    void failed(const QString& folder, const QString& reason);

  private:
    QThread* thread_ = nullptr;
    QObject* worker_ = nullptr;
    int pending_ = 0;
    std::atomic<bool> closing_{false};
};

} // namespace korvex
