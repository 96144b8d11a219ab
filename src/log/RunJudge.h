// The one judgement of the runs: the verdict of the latest run (over its series) against the
// limits file as it stands. The log entry carries it and the window's verdict panel shows it,
// so the two never disagree.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>
#include <optional>
#include <string>

#include "kinds/Verdict.h"
#include "log/LimitsFile.h"
#include "log/LogEntry.h"

namespace korvex {

struct Judgement {
    Verdict verdict;
    int32_t kind = 0; ///< the kind of the run judged; 0: a stored record (all it holds), or none
    int runs = 0;     ///< runs of the series judged (0: nothing judged yet)
    QString serial;   ///< the serial number (infoNo) of the record judged
    qint64 atMs = 0;  ///< when the run completed (UTC ms); 0 for a stored record
    QString source;   ///< a stored record: the file it came from; "log" for a reopened logged run

    bool valid() const { return runs > 0; }
};

class RunJudge : public QObject {
    Q_OBJECT
  public:
    /// Judges against the limits file at limitsPath, read again whenever it changes; with
    /// createMissing a missing file is written with the defaults.
    RunJudge(const QString& limitsPath, bool createMissing, QObject* parent = nullptr);
    ~RunJudge() override;

    LimitsWatch& limits() { return limits_; }
    /// Judges every record against this profile (empty: the profile named like the record's
    /// product type, else default).
    void setProfile(const std::string& name) { profile_ = name; }

    /// The profile a record is judged against (the chosen one, else its product type's, else
    /// default), read afresh; nothing while the file cannot be read or the chosen one is
    /// missing (why says which).
    std::optional<VerdictProfile> profileFor(const TestRecord& r, QString* why);

    /// A run of kind completed; runs is its number in its series (1 starts a series). Judges
    /// only what the kind measured; over a series the harmonics of every run count.
    const Judgement& judgeRun(const TestRecord& r, int32_t kind, int runs);
    /// A stored record was opened (a data file): everything it holds.
    const Judgement& judgeStored(const TestRecord& r, const QString& source);
    /// A logged run was reopened: the judgement it was logged with, not one made again.
    const Judgement& showLogged(const LogEntry& entry);
    /// Nothing is shown as judged (a new ballast is on the bench).
    void clear();
    const Judgement& current() const { return current_; }

  signals:
    /// current() changed.
    void judged();

  private:
    /// The verdict by judge with the chosen profile, or why it cannot be made.
    template <typename Judge> Verdict judgeWith(const TestRecord& r, Judge judge);

    LimitsWatch limits_;
    std::string profile_;
    VerdictSeries series_;
    Judgement current_;
};

} // namespace korvex
