// Writing a ballast's archive files: names from the pattern, files that never replace one
// another, the day's CSV appended a whole line at a time; and the writer's own thread.
#include "app/canvas/Archive.h"

#include <QtCore/QThread>
#include <QtCore/QtDebug>
#include <QtGui/QPageSize>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/canvas/PrintPages.h"
#include "kinds/Pages.h"
#include "kinds/VerdictPage.h"
#include "record/DataFile.h"
#include "record/FileUtil.h"
#include "record/Spreadsheet.h"

namespace korvex {

namespace {

// The printed report's resolution (as korvex-cli report): a high-resolution printer's.
constexpr int kPdfResolution = 1200;
// More ballasts of one name than a line tests in a day: something else is wrong.
constexpr int kMaxCounter = 9999;

std::string errnoText(int error)
{
    return std::strerror(error);
}

std::string folderOf(const std::string& path)
{
    return std::filesystem::path(path).parent_path().string();
}

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

/// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC; // no progress: as a full disk
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

/// Appends line (with its line end) to the CSV at path, the title line first in a new or empty
/// file, under an exclusive lock so two programs appending at once neither tear nor double a
/// line. A file whose last line lacks a line end gets one first (said in warning). On failure
/// the file is cut back to what it held, so no part of the line stays. False with the reason.
bool appendCsvLine(const std::string& path, const std::string& title, const std::string& line, std::string& warning,
                   std::string& error)
{
    if (isSpecialFile(path)) {
        error = "not a regular file";
        return false;
    }
    Fd f;
    f.fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (f.fd < 0) {
        error = errnoText(errno);
        return false;
    }
    struct stat st {};
    if (::flock(f.fd, LOCK_EX) != 0 || ::fstat(f.fd, &st) != 0) {
        error = errnoText(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return false;
    }
    const off_t size = st.st_size;
    std::string bytes;
    if (size == 0) {
        bytes = title;
    } else {
        char last = 0;
        if (::pread(f.fd, &last, 1, size - 1) != 1) {
            error = errnoText(errno);
            return false;
        }
        if (last != '\n') {
            bytes = "\r\n";
            warning = fileNameOf(path) + ": its last line had no line end (an interrupted write?); one was added "
                                         "before the new line";
        }
    }
    bytes += line;
    if (!writeAll(f.fd, bytes) || ::fsync(f.fd) != 0) {
        error = errnoText(errno);
        // Nothing of this line may stay: a later append would otherwise continue a torn line.
        if (::ftruncate(f.fd, size) != 0 || ::fsync(f.fd) != 0)
            error += "; the file could not be cut back and may end in a partial line";
        warning.clear();
        return false;
    }
    if (size == 0) {
        // A new file's name is made durable with its folder.
        Fd dir;
        dir.fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir.fd >= 0)
            ::fsync(dir.fd);
    }
    return true;
}

ArchiveNameParts namePartsOf(const ArchiveItem& item)
{
    ArchiveNameParts p;
    const QDateTime at = item.endedAt.isValid() ? item.endedAt.toLocalTime() : QDateTime::currentDateTime();
    const QDate d = at.date();
    const QTime t = at.time();
    p.year = d.year();
    p.month = d.month();
    p.day = d.day();
    p.hour = t.hour();
    p.minute = t.minute();
    p.second = t.second();
    p.serial = item.serial;
    p.type = item.type;
    p.verdict = ballastResultName(item.result);
    return p;
}

/// The pages and the verdict sheet as PDF bytes, in the item's language.
bool pdfOf(const ArchiveItem& item, QByteArray& bytes, std::string& error, std::string& warning)
{
    TestRecord r = item.record;
    r.chinese = item.chinese ? 1 : 0;
    PrintJob job;
    for (const int32_t kind : item.kinds) {
        if (isTestKind(kind))
            job.kinds.push_back(kind);
        else
            warning = "page kind " + std::to_string(kind) + " is not a test kind and was left out of the PDF";
    }
    job.beforePage = [&r](int32_t kind, PrintJob&) {
        // As the print command does: the page shown, with what it needs brought up to date.
        r.currentTest = kind;
        r.resultsShown = 1;
        prepareShownPage(r);
    };
    job.appendix.emplace_back(
        [&r, &item](PageCanvas& canvas) { drawVerdictSheet(canvas, r, item.verdict, item.chinese); });
    return renderPdfPages(QPageSize(QPageSize::A4), QPageLayout::Landscape, kPdfResolution, r, job, bytes, error);
}

void addWarning(std::string& to, const std::string& w)
{
    if (!w.empty())
        to += (to.empty() ? "" : "; ") + w;
}

} // namespace

ArchiveReport writeArchive(const ArchiveItem& item, const ArchiveSettings& settings)
{
    ArchiveReport report;
    report.folder = settings.folder;
    if (!settings.on()) {
        report.error = "no archive folder is set; nothing was written for " + item.serial;
        return report;
    }
    if (const PatternFault fault = archivePatternFault(settings.pattern); !fault.empty()) {
        report.error = settings.folder + ": " + fault.en + "; nothing was written for " + item.serial;
        return report;
    }
    const ArchiveNameParts parts = namePartsOf(item);
    const std::string base = settings.folder + "/" + expandArchivePattern(settings.pattern, parts);
    std::vector<std::string> missing; // what was not written, each with its reason
    // Names below the archive folder, as the operator finds them there.
    auto below = [&settings](const std::string& path) {
        return path.size() > settings.folder.size() + 1 ? path.substr(settings.folder.size() + 1) : path;
    };
    auto fail = [&](const std::string& what, const std::string& reason) {
        missing.push_back(what + " (" + reason + ")");
    };

    std::error_code ec;
    const std::string dir = folderOf(base);
    std::filesystem::create_directories(dir, ec);
    const std::vector<uint8_t> image = encodeDataFile(item.record);
    QByteArray pdf;
    std::string pdfError, pdfWarning;
    const bool pdfMade = pdfOf(item, pdf, pdfError, pdfWarning);
    addWarning(report.warning, pdfWarning);

    if (ec) {
        const std::string why = "cannot make the folder " + below(dir) + ": " + ec.message();
        fail(below(base) + ".kvx", why);
        fail(below(base) + ".pdf", why);
    } else {
        // The first name whose data file and PDF are both free; a file that appears meanwhile
        // is never replaced (the exclusive creation fails and the next number is tried).
        std::string name;
        for (int k = 1; k <= kMaxCounter && name.empty(); ++k) {
            const std::string candidate = k == 1 ? base : base + "_" + std::to_string(k);
            if (pathExists(candidate + ".kvx") || pathExists(candidate + ".pdf"))
                continue;
            errno = 0;
            if (createFileExclusively(candidate + ".kvx",
                                      std::string_view(reinterpret_cast<const char*>(image.data()), image.size()))) {
                report.written.push_back(candidate + ".kvx");
                name = candidate;
            } else if (errno != EEXIST) {
                fail(below(candidate) + ".kvx", errnoText(errno));
                name = candidate; // the PDF is still worth having
            }
        }
        if (name.empty()) {
            const std::string why = "every name up to _" + std::to_string(kMaxCounter) + " is taken";
            fail(below(base) + ".kvx", why);
            fail(below(base) + ".pdf", why);
        } else if (!pdfMade) {
            fail(below(name) + ".pdf", pdfError);
        } else {
            errno = 0;
            if (createFileExclusively(name + ".pdf", std::string_view(pdf.constData(), size_t(pdf.size()))))
                report.written.push_back(name + ".pdf");
            else
                fail(below(name) + ".pdf", errnoText(errno));
        }
    }

    const std::string csv = settings.folder + "/" + expandArchivePattern("{date}", parts) + ".csv";
    std::string csvWarning, csvError;
    if (appendCsvLine(csv, spreadsheetTitleLine() + "\r\n", spreadsheetValueLine(item.record) + "\r\n", csvWarning,
                      csvError)) {
        report.written.push_back(csv);
        addWarning(report.warning, csvWarning);
    } else {
        fail("the line of " + item.serial + " in " + below(csv), csvError);
    }

    report.ok = missing.empty();
    if (!report.ok) {
        std::string list;
        for (const std::string& m : missing)
            list += (list.empty() ? "" : ", ") + m;
        report.error = settings.folder + ": not written: " + list;
    }
    return report;
}

ArchiveWriter::ArchiveWriter(QObject* parent) : QObject(parent)
{
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("archive"));
    worker_ = new QObject; // lives on the thread; the items run as its queued calls
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();
}

ArchiveWriter::~ArchiveWriter()
{
    // The items queued run first (queued calls run in order), then the thread ends. Their
    // reports have no listener left: a failure goes to the program's warnings.
    closing_ = true;
    QMetaObject::invokeMethod(
        worker_, [t = thread_] { t->quit(); }, Qt::QueuedConnection);
    thread_->wait();
}

void ArchiveWriter::enqueue(ArchiveItem item, ArchiveSettings settings)
{
    ++pending_;
    QMetaObject::invokeMethod(
        worker_,
        [this, item = std::move(item), settings = std::move(settings)] {
            const ArchiveReport report = writeArchive(item, settings);
            if (closing_) {
                if (!report.ok)
                    qWarning("archive %s: %s", report.folder.c_str(), report.error.c_str());
                return;
            }
            QMetaObject::invokeMethod(
                this,
                [this, report] {
                    --pending_;
                    if (report.ok) {
                        QStringList paths;
                        for (const std::string& p : report.written)
                            paths << QString::fromStdString(p);
                        emit done(paths, QString::fromStdString(report.warning));
                    } else {
                        emit failed(QString::fromStdString(report.folder), QString::fromStdString(report.error));
                    }
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

} // namespace korvex
