// korvex-cli log: the results log from the command line (list, show, stats).
#include <QtCore/QCoreApplication>
#include <QtCore/QDateTime>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "Json.h"
#include "KindNames.h"
#include "VerdictArgs.h"
#include "kinds/BallastStats.h"
#include "kinds/VerdictNames.h"
#include "kinds/VerdictOutput.h"
#include "log/LogBallasts.h"
#include "log/LogColumns.h"
#include "log/LogQuery.h"
#include "log/LogSettings.h"
#include "record/DataFile.h"
#include "record/FileUtil.h"
#include "record/NumberFormat.h"
#include "record/Spreadsheet.h"

namespace korvex::cli {

namespace {

void logUsage(FILE* out)
{
    std::fprintf(
        out,
        "Usage: korvex-cli log list [FILTERS] [--limit N] [--json|--csv] [--db PATH|URL]\n"
        "       korvex-cli log show ID [--save FILE.kvx] [--json] [--db PATH|URL]\n"
        "       korvex-cli log stats [FILTERS] [--values NAME,...] [--limits FILE] [--json] [--db PATH|URL]\n"
        "FILTERS: --since DATE  --until DATE  --serial S  --type T  --operator O  --bench B\n"
        "         --kind K  --verdict pass|fail|none|unjudged (none: no checks, as a start test;\n"
        "         unjudged: logged while the limits file could not be read)\n"
        "  K        a test kind, or ballast: the ballasts of test plans instead of the runs, each with\n"
        "           its overall verdict (pass, fail, incomplete); 'log show ID' reopens one\n"
        "  DATE     2024-05-01 or 2024-05-01T14:30 (local time) or with a zone (Z, +08:00)\n"
        "  S, T, O  exact, or a pattern with * and ? (case counts)\n"
        "  --db     an SQLite file or postgresql://user@host:port/database; default KORVEX_DB,\n"
        "           else the log the limits file names, else %s (see 'korvex-cli paths')\n"
        "  --values the values of the statistics (default Pin,PF,THDI,Irms,Pout,Ilcf,Fout,StrT,preheatEnergy)\n"
        "stats also gives, over the ballasts of test plans (serial, type, operator, bench and date\n"
        "filters apply): first-pass and final yield, the failed checks largest first, and Cp/Cpk of\n"
        "each value with limits in the ballasts' product type's profile of the limits file\n"
        "(--limits FILE, else the one 'korvex-cli paths' names); ballasts of several types: --type.\n"
        "Exit status: 0 done, 1 usage error, 2 the log cannot be read or the run is not there.\n",
        kLogFileName);
}

bool parseDate(const QString& text, qint64& ms)
{
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid()) {
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (!d.isValid())
            return false;
        t = d.startOfDay();
    }
    ms = t.toMSecsSinceEpoch();
    return true;
}

QString isoUtc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

std::string csvField(const QString& s)
{
    std::string u = s.toStdString();
    if (u.find_first_of(",\"\r\n") == std::string::npos)
        return u;
    std::string out = "\"";
    for (char c : u) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

/// A ballast entry whose plan did not complete is incomplete, whatever was judged before.
const char* verdictText(const LogEntry& e)
{
    return e.kind == kBallastKind && !e.complete ? "incomplete" : resultKey(e.verdict);
}

/// The entry's kind by name; a test plan's ballast is "ballast".
const char* entryKindName(const LogEntry& e)
{
    return e.kind == kBallastKind ? "ballast" : kindName(e.kind);
}

std::string entryJson(const LogEntry& e, bool allValues)
{
    std::string j = "{\"id\":" + jsonString(e.id.toStdString());
    j += ",\"time\":" + jsonString(isoUtc(e.loggedAtMs).toStdString());
    j += ",\"bench\":" + jsonString(e.bench.toStdString());
    j += ",\"port\":" + jsonString(e.port.toStdString());
    j += ",\"kind\":" + jsonString(entryKindName(e));
    j += ",\"seriesRuns\":" + std::to_string(e.seriesRuns);
    const auto texts = logTextColumns();
    for (size_t i = 0; i < texts.size(); ++i)
        j += ",\"" + std::string(texts[i].name) + "\":" + jsonString(e.texts.value(qsizetype(i)).toStdString());
    j += ",\"values\":{";
    bool first = true;
    const auto cols = logValueColumns();
    for (size_t i = 0; i < cols.size() && i < e.values.size(); ++i) {
        if (!allValues && !measuredBy(cols[i], e.kind))
            continue;
        j += (first ? "\"" : ",\"") + std::string(cols[i].name) + "\":" + jsonFloat(e.values[i]);
        first = false;
    }
    j += "},\"verdict\":" + jsonString(verdictText(e));
    j += ",\"verdictDetails\":";
    j += !e.verdictDetails.isEmpty() ? e.verdictDetails.toStdString() : "null";
    j += std::string(",\"retest\":") + (e.retest ? "true" : "false");
    j += ",\"programVersion\":" + jsonString(e.programVersion.toStdString()) + "}";
    return j;
}

struct Options {
    LogFilter filter;
    QString db;
    QString id;
    QString save;
    QString values;
    QString limits;
    int limit = 0;
    bool json = false;
    bool csv = false;
};

// Parses the options common to the three subcommands; false after a usage message.
bool parseOptions(int argc, char** argv, Options& o, bool wantsId)
{
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const QString value = hasValue ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        if (arg == "--json")
            o.json = true;
        else if (arg == "--csv")
            o.csv = true;
        else if (!hasValue && arg.rfind("--", 0) == 0)
            break;
        else if (arg == "--db")
            o.db = value, ++i;
        else if (arg == "--serial")
            o.filter.serial = value, ++i;
        else if (arg == "--type")
            o.filter.type = value, ++i;
        else if (arg == "--operator")
            o.filter.operatorName = value, ++i;
        else if (arg == "--bench")
            o.filter.bench = value, ++i;
        else if (arg == "--save")
            o.save = value, ++i;
        else if (arg == "--values")
            o.values = value, ++i;
        else if (arg == "--limits")
            o.limits = value, ++i;
        else if (arg == "--limit")
            o.limit = value.toInt(), ++i;
        else if (arg == "--since" || arg == "--until") {
            qint64& ms = arg == "--since" ? o.filter.sinceMs : o.filter.untilMs;
            if (!parseDate(value, ms)) {
                std::fprintf(stderr, "korvex-cli log: '%s' is not a date\n", argv[i + 1]);
                return false;
            }
            ++i;
        } else if (arg == "--kind") {
            o.filter.ballasts = std::strcmp(argv[++i], "ballast") == 0;
            o.filter.kind = kindByName(argv[i]);
            if (o.filter.kind == 0 && !o.filter.ballasts) {
                std::fprintf(stderr, "korvex-cli log: unknown test kind '%s'\n", argv[i]);
                return false;
            }
        } else if (arg == "--verdict") {
            const std::string v = argv[++i];
            if (v == "pass")
                o.filter.verdict = LogFilter::Verdict::Pass;
            else if (v == "fail")
                o.filter.verdict = LogFilter::Verdict::Fail;
            else if (v == "none")
                o.filter.verdict = LogFilter::Verdict::NoChecks;
            else if (v == "unjudged")
                o.filter.verdict = LogFilter::Verdict::NotJudged;
            else {
                std::fprintf(stderr, "korvex-cli log: --verdict takes pass, fail, none or unjudged\n");
                return false;
            }
        } else if (wantsId && o.id.isEmpty() && arg.rfind("--", 0) != 0)
            o.id = QString::fromStdString(arg);
        else {
            std::fprintf(stderr, "korvex-cli log: unknown or incomplete argument '%s'\n", arg.c_str());
            logUsage(stderr);
            return false;
        }
    }
    return true;
}

int list(LogQuery& q, const Options& o)
{
    std::vector<LogEntry> entries;
    QString error;
    if (!q.list(o.filter, o.limit, entries, &error)) {
        std::fprintf(stderr, "korvex-cli log: %s\n", qPrintable(error));
        return 2;
    }
    if (o.json) {
        std::string out = "[";
        for (size_t i = 0; i < entries.size(); ++i)
            out += (i ? ",\n " : "\n ") + entryJson(entries[i], false);
        std::printf("%s\n]\n", out.c_str());
    } else if (o.csv) {
        // The log's own columns, then the 43 columns of the spreadsheet export, written alike.
        std::printf("id,time,bench,port,kind,seriesRuns,serial,name,type,operator,verdict,retest,%s\r\n",
                    spreadsheetTitleLine().c_str());
        const auto cols = logValueColumns();
        for (const LogEntry& e : entries) {
            std::string line = csvField(e.id) + "," + isoUtc(e.loggedAtMs).toStdString() + "," + csvField(e.bench) +
                               "," + csvField(e.port) + "," + entryKindName(e) + "," + std::to_string(e.seriesRuns);
            for (int t : {0, 1, 2, 7})
                line += "," + csvField(e.texts.value(t));
            line += std::string(",") + verdictText(e) + (e.retest ? ",1" : ",0");
            for (size_t i = 0; i < 43 && i < e.values.size(); ++i)
                line += "," + formatFixed(e.values[i], 4, cols[i].decimals);
            std::printf("%s\r\n", line.c_str());
        }
    } else {
        for (const LogEntry& e : entries) {
            const QString local =
                QDateTime::fromMSecsSinceEpoch(e.loggedAtMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            std::printf("%s  %s  %-13s %-20s %-8s %-4s %-6s %s\n", qPrintable(e.id), qPrintable(local),
                        entryKindName(e), qPrintable(e.serial().isEmpty() ? QStringLiteral("-") : e.serial()),
                        verdictText(e), e.seriesRuns > 1 ? qPrintable(QStringLiteral("x%1").arg(e.seriesRuns)) : "",
                        e.retest ? "retest" : "", qPrintable(e.bench));
        }
        std::printf("%zu run(s)\n", entries.size());
    }
    return 0;
}

int show(LogQuery& q, const Options& o)
{
    if (o.id.isEmpty()) {
        logUsage(stderr);
        return 1;
    }
    QString error;
    const std::optional<LogEntry> e = q.entry(o.id, &error);
    if (!e) {
        std::fprintf(stderr, "korvex-cli log: %s\n",
                     error.isEmpty() ? qPrintable(QStringLiteral("no run %1 in the log").arg(o.id))
                                     : qPrintable(error));
        return 2;
    }
    if (!o.save.isEmpty()) {
        const std::string bytes(e->record.constData(), size_t(e->record.size()));
        if (!replaceFileAtomically(QFile::encodeName(o.save).toStdString(), bytes)) {
            std::fprintf(stderr, "korvex-cli log: cannot write %s: %s\n", qPrintable(o.save), std::strerror(errno));
            return 2;
        }
    }
    if (o.json || o.save.isEmpty())
        std::printf("%s\n", entryJson(*e, true).c_str());
    return 0;
}

int stats(LogQuery& q, const Options& o)
{
    std::vector<const LogValueColumn*> columns = defaultStatsColumns();
    if (!o.values.isEmpty()) {
        columns.clear();
        for (const QString& name : o.values.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const LogValueColumn* c = findLogValue(name.trimmed().toLatin1().constData());
            if (!c) {
                std::fprintf(stderr, "korvex-cli log: unknown value '%s'\n", qPrintable(name));
                return 1;
            }
            columns.push_back(c);
        }
    }
    LogStats s;
    QString error;
    if (!q.stats(o.filter, columns, s, &error)) {
        std::fprintf(stderr, "korvex-cli log: %s\n", qPrintable(error));
        return 2;
    }
    // The ballasts' statistics against the limits file in use; a damaged file gives no limits
    // (never other limits than those the user set), and says so.
    VerdictChoice choice;
    choice.limitsPath = o.limits.toLocal8Bit().toStdString();
    const QString limitsPath = limitsPathOf(choice);
    if (!o.limits.isEmpty() && !QFileInfo::exists(limitsPath)) {
        std::fprintf(stderr, "korvex-cli log: %s: no such file\n", qPrintable(o.limits));
        return 2;
    }
    const LimitsFile limits = readLimitsFile(limitsPath, false);
    VerdictProfile none;
    none.classC = none.lampCrest = none.preheat = false;
    LogBallasts ballasts;
    if (!q.ballasts(o.filter, limits.ok() ? limits.profiles : ProfileSet{{none}}, ballasts, &error)) {
        std::fprintf(stderr, "korvex-cli log: %s\n", qPrintable(error));
        return 2;
    }
    if (!limits.ok())
        ballasts.profile.clear();
    const BallastStats bs = computeBallastStats(ballasts.outcomes, ballasts.limits);
    QString limitsNote; // why no value has limits
    if (!limits.ok())
        limitsNote = QStringLiteral("the limits file cannot be read: ") + limits.error;
    else if (ballasts.types.size() > 1)
        limitsNote = QStringLiteral("ballasts of several types (%1%2): choose one with --type")
                         .arg(ballasts.types.join(QStringLiteral(", ")),
                              ballasts.types.size() > 2 ? QStringLiteral(", ...") : QString());

    const std::optional<double> yield = s.yieldPercent();
    if (o.json) {
        std::string j = "{\"count\":" + std::to_string(s.count) + ",\"judged\":" + std::to_string(s.judged) +
                        ",\"passed\":" + std::to_string(s.passed) + ",\"yieldPercent\":";
        j += yield ? jsonFloat(float(*yield)) : "null";
        j += ",\"values\":{";
        bool first = true;
        for (const LogValueStats& v : s.values) {
            j += first ? "\"" : ",\"";
            j += v.column->name;
            j += R"(":{"count":)";
            j += std::to_string(v.count);
            if (v.count > 0)
                j += ",\"mean\":" + jsonFloat(float(v.mean)) + ",\"sigma\":" + jsonFloat(float(v.sigma)) +
                     ",\"min\":" + jsonFloat(float(v.min)) + ",\"max\":" + jsonFloat(float(v.max));
            j += "}";
            first = false;
        }
        j += "},\"ballastStats\":" + ballastStatsJson(bs);
        j += ",\"limitsProfile\":" +
             (ballasts.profile.isEmpty() ? std::string("null") : jsonString(ballasts.profile.toStdString()));
        j += ",\"limitsNote\":" + (limitsNote.isEmpty() ? std::string("null") : jsonString(limitsNote.toStdString()));
        std::printf("%s}\n", j.c_str());
        return 0;
    }
    std::printf("runs %lld, judged %lld, passed %lld, yield %s\n", (long long)s.count, (long long)s.judged,
                (long long)s.passed, yield ? (formatFixed(*yield, 4, 1) + " %").c_str() : "-");
    std::printf("%-14s %7s %12s %12s %12s %12s\n", "value", "count", "mean", "sigma", "min", "max");
    for (const LogValueStats& v : s.values) {
        if (v.count == 0) {
            std::printf("%-14s %7d\n", v.column->name, 0);
            continue;
        }
        const int d = v.column->decimals + 1; // one digit more than a single value shows
        std::printf("%-14s %7lld %12.*f %12.*f %12.*f %12.*f\n", v.column->name, (long long)v.count, d, v.mean, d,
                    v.sigma, d, v.min, d, v.max);
    }
    std::printf("\n%s", ballastStatsText(bs, false).c_str());
    if (!ballasts.profile.isEmpty())
        std::printf("Limits: profile '%s' of %s\n", qPrintable(ballasts.profile), qPrintable(limits.path));
    else if (!limitsNote.isEmpty())
        std::printf("No limits: %s\n", qPrintable(limitsNote));
    return 0;
}

} // namespace

LogTarget logTargetFor(const QString& text)
{
    return locations().logTarget(text);
}

int cmdLog(int argc, char** argv)
{
    if (wantsHelp(argc, argv) || argc < 2) {
        logUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 1 : 0;
    }
    const std::string sub = argv[1];
    if (sub != "list" && sub != "show" && sub != "stats") {
        std::fprintf(stderr, "korvex-cli log: unknown subcommand '%s'\n", sub.c_str());
        logUsage(stderr);
        return 1;
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QCoreApplication> ownApp;
    if (!QCoreApplication::instance())
        ownApp = std::make_unique<QCoreApplication>(qtArgc, qtArgv);

    Options o;
    if (!parseOptions(argc, argv, o, sub == "show"))
        return 1;
    const LogTarget target = logTargetFor(o.db);
    if (!target.unusable.isEmpty()) {
        std::fprintf(stderr, "korvex-cli log: cannot open the results log %s\n", qPrintable(target.unusable));
        return 2;
    }
    if (!target.isServer() && !QFileInfo::exists(target.path)) {
        std::fprintf(stderr, "korvex-cli log: %s: no results log there\n", qPrintable(target.path));
        return 2;
    }
    LogQuery q;
    QString error;
    if (!q.open(target, &error)) {
        std::fprintf(stderr, "korvex-cli log: %s\n", qPrintable(error));
        return 2;
    }
    if (sub == "list")
        return list(q, o);
    if (sub == "show")
        return show(q, o);
    return stats(q, o);
}

} // namespace korvex::cli
