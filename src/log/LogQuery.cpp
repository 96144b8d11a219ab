// SQL for filters, statistics and trends; the same statements run on SQLite and PostgreSQL.
#include "log/LogQuery.h"
#include "log/LogBallasts.h"

#include <QtCore/QFileInfo>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QRegularExpression>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <algorithm>
#include <cmath>

#include "kinds/VerdictProfile.h"
#include "log/LogColumns.h"
#include "log/LogJudge.h"

namespace korvex {

namespace {

struct Where {
    QString sql;
    QVariantList binds;
};

// A text filter: the text itself, or a pattern in which "*" stands for any run of characters
// and "?" for one. Every other character stands for itself (% and _ included) and case counts
// (SN-1 is not sn-1), on every database: SQLite's LIKE ignores ASCII case, so SQLite matches with
// GLOB, whose one other special character "[" is put in brackets; PostgreSQL's LIKE keeps case,
// its special characters are escaped.
void addText(Where& w, const char* column, const QString& value, bool server)
{
    if (value.isEmpty())
        return;
    if (!value.contains(QLatin1Char('*')) && !value.contains(QLatin1Char('?'))) {
        w.sql += QStringLiteral(" AND %1 = ?").arg(QLatin1String(column));
        w.binds << value;
        return;
    }
    QString pattern = value;
    if (server) {
        pattern.replace(QLatin1String("\\"), QLatin1String("\\\\"));
        pattern.replace(QLatin1String("%"), QLatin1String("\\%"));
        pattern.replace(QLatin1String("_"), QLatin1String("\\_"));
        pattern.replace(QLatin1Char('*'), QLatin1Char('%'));
        pattern.replace(QLatin1Char('?'), QLatin1Char('_'));
        w.sql += QStringLiteral(" AND %1 LIKE ? ESCAPE '\\'").arg(QLatin1String(column));
    } else {
        pattern.replace(QLatin1String("["), QLatin1String("[[]"));
        w.sql += QStringLiteral(" AND %1 GLOB ?").arg(QLatin1String(column));
    }
    w.binds << pattern;
}

Where whereOf(const LogFilter& f, bool server)
{
    Where w;
    // A ballast entry is no run: run lists and statistics never count it.
    w.sql = f.ballasts ? QStringLiteral(" WHERE kind = 0") : QStringLiteral(" WHERE kind <> 0");
    if (f.sinceMs >= 0) {
        w.sql += QStringLiteral(" AND logged_at >= ?");
        w.binds << f.sinceMs;
    }
    if (f.untilMs >= 0) {
        w.sql += QStringLiteral(" AND logged_at < ?");
        w.binds << f.untilMs;
    }
    addText(w, "info_no", f.serial, server);
    addText(w, "info_type", f.type, server);
    addText(w, "info_operator", f.operatorName, server);
    addText(w, "bench", f.bench, server);
    if (f.kind != 0) {
        w.sql += QStringLiteral(" AND kind = ?");
        w.binds << f.kind;
    }
    switch (f.verdict) {
    case LogFilter::Verdict::Any: break;
    case LogFilter::Verdict::Pass: w.sql += QStringLiteral(" AND verdict = 'pass'"); break;
    case LogFilter::Verdict::Fail: w.sql += QStringLiteral(" AND verdict = 'fail'"); break;
    case LogFilter::Verdict::NoChecks: w.sql += QStringLiteral(" AND (verdict = 'none' OR verdict IS NULL)"); break;
    case LogFilter::Verdict::NotJudged: w.sql += QStringLiteral(" AND verdict = 'unjudged'"); break;
    }
    return w;
}

// The value where the run's kind measures it, else NULL (so aggregates skip it).
QString measured(const LogValueColumn& c)
{
    QStringList kinds;
    for (int k = KindInput; k <= KindEnergy; ++k)
        if (measuredBy(c, k))
            kinds << QString::number(k);
    return QStringLiteral("CASE WHEN kind IN (%1) THEN CAST(%2 AS DOUBLE PRECISION) END")
        .arg(kinds.join(QLatin1Char(',')), QLatin1String(c.column));
}

bool run(QSqlQuery& q, const QString& sql, const QVariantList& binds, QString* error)
{
    if (!q.prepare(sql)) {
        if (error)
            *error = sqlErrorText(q.lastError(), SqlUse::Read);
        return false;
    }
    for (const QVariant& b : binds)
        q.addBindValue(b);
    q.setForwardOnly(true);
    if (!q.exec()) {
        if (error)
            *error = sqlErrorText(q.lastError(), SqlUse::Read);
        return false;
    }
    return true;
}

BallastResult ballastResultOf(const QVariant& verdict, bool complete)
{
    if (!complete)
        return BallastResult::Incomplete;
    const VerdictResult r = verdictResultOf(verdict.toString(), verdict.isNull());
    // A complete ballast that was not judged (the limits could not be read) did not pass; it
    // did not fail a check either, and the statistics count it apart.
    return r == VerdictResult::Pass   ? BallastResult::Pass
           : r == VerdictResult::Fail ? BallastResult::Fail
                                      : BallastResult::NotJudged;
}

/// The value and limit of one check of a logged verdict (verdictJson), by its key; read straight
/// from the JSON, as a whole verdict is costly to rebuild for each of many runs.
struct LoggedCheck {
    double value = 0, limit = 0;
};
std::optional<LoggedCheck> loggedCheck(const QJsonObject& verdict, QLatin1String key)
{
    for (const QJsonValue& section : verdict.value(QLatin1String("sections")).toArray())
        for (const QJsonValue& check : section.toObject().value(QLatin1String("checks")).toArray()) {
            const QJsonObject c = check.toObject();
            if (c.value(QLatin1String("check")).toString() == key) {
                const QJsonValue value = c.value(QLatin1String("value")), limit = c.value(QLatin1String("limit"));
                if (!value.isDouble() || !limit.isDouble())
                    return std::nullopt;
                return LoggedCheck{value.toDouble(), limit.toDouble()};
            }
        }
    return std::nullopt;
}

} // namespace

std::vector<const LogValueColumn*> defaultStatsColumns()
{
    std::vector<const LogValueColumn*> out;
    for (const char* name : {"Pin", "PF", "THDI", "Irms", "Pout", "Ilcf", "Fout", "StrT", "preheatEnergy"})
        out.push_back(findLogValue(name));
    return out;
}

bool LogQuery::open(const LogTarget& target, QString* error)
{
    // A reader never creates a log where there is none.
    if (!target.isServer() && !QFileInfo::exists(target.path)) {
        if (error)
            *error = QStringLiteral("%1: the file is missing (no results log there)").arg(target.path);
        return false;
    }
    return conn_.open(target, false, error, SqlUse::Read);
}

bool LogQuery::list(const LogFilter& f, int limit, std::vector<LogEntry>& out, QString* error)
{
    const Where w = whereOf(f, conn_.isServer());
    QString sql = QStringLiteral("SELECT %1 FROM runs%2 ORDER BY logged_at DESC").arg(logColumnList(), w.sql);
    if (limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    QSqlQuery q(conn_.db());
    if (!run(q, sql, w.binds, error))
        return false;
    out.clear();
    while (q.next())
        out.push_back(readLogEntry(q));
    return true;
}

std::optional<LogEntry> LogQuery::entry(const QString& id, QString* error)
{
    QSqlDatabase db = conn_.db();
    if (auto e = findLogEntry(db, id, error, SqlUse::Read))
        return e;
    // A unique beginning of an id, as the list shows ids in full but people type eight digits.
    QSqlQuery q(db);
    QString prefix = id;
    prefix.remove(QRegularExpression(QStringLiteral("[^0-9a-fA-F-]")));
    if (prefix.size() < 4 ||
        !run(q, QStringLiteral("SELECT id FROM runs WHERE id LIKE ? LIMIT 2"), {prefix + QLatin1Char('%')}, error))
        return std::nullopt;
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    if (ids.size() != 1)
        return std::nullopt;
    return findLogEntry(db, ids.front(), error, SqlUse::Read);
}

bool LogQuery::stats(const LogFilter& f, const std::vector<const LogValueColumn*>& columns, LogStats& out,
                     QString* error)
{
    return conn_.isServer() ? serverStats(f, columns, out, error) : localStats(f, columns, out, error);
}

bool LogQuery::localStats(const LogFilter& f, const std::vector<const LogValueColumn*>& columns, LogStats& out,
                          QString* error)
{
    // A local file: one pass over the rows with Welford's update, cheaper in SQLite than
    // aggregates over a conditional expression per value.
    const Where w = whereOf(f, conn_.isServer());
    QStringList cols = {QStringLiteral("kind"), QStringLiteral("verdict")};
    for (const LogValueColumn* c : columns)
        cols << QLatin1String(c->column);
    QSqlQuery q(conn_.db());
    if (!run(q, QStringLiteral("SELECT %1 FROM runs%2").arg(cols.join(QLatin1Char(',')), w.sql), w.binds, error))
        return false;
    out = LogStats{};
    std::vector<double> m2(columns.size(), 0.0);
    for (const LogValueColumn* c : columns)
        out.values.push_back(LogValueStats{c});
    while (q.next()) {
        ++out.count;
        const int32_t kind = q.value(0).toInt();
        const QVariant verdict = q.value(1);
        const VerdictResult result = verdictResultOf(verdict.toString(), verdict.isNull());
        if (result == VerdictResult::Pass || result == VerdictResult::Fail)
            ++out.judged;
        if (result == VerdictResult::Pass)
            ++out.passed;
        for (size_t k = 0; k < columns.size(); ++k) {
            if (!measuredBy(*columns[k], kind))
                continue;
            const QVariant v = q.value(int(k) + 2);
            if (v.isNull())
                continue;
            const double x = v.toDouble();
            LogValueStats& s = out.values[k];
            if (s.count == 0)
                s.min = s.max = x;
            s.min = std::min(s.min, x);
            s.max = std::max(s.max, x);
            ++s.count;
            const double d = x - s.mean;
            s.mean += d / double(s.count);
            m2[k] += d * (x - s.mean);
        }
    }
    for (size_t k = 0; k < columns.size(); ++k)
        out.values[k].sigma = out.values[k].count > 1 ? std::sqrt(m2[k] / double(out.values[k].count - 1)) : 0.0;
    return true;
}

bool LogQuery::serverStats(const LogFilter& f, const std::vector<const LogValueColumn*>& columns, LogStats& out,
                           QString* error)
{
    // A server: the aggregates run there and only their results cross the network.
    const Where w = whereOf(f, conn_.isServer());
    // First pass: counts, means and extremes; second pass: the spread around the means (two
    // passes keep sigma exact where the values are large and their spread small).
    QStringList cols = {QStringLiteral("COUNT(*)"),
                        QStringLiteral("SUM(CASE WHEN verdict IN ('pass', 'fail') THEN 1 ELSE 0 END)"),
                        QStringLiteral("SUM(CASE WHEN verdict = 'pass' THEN 1 ELSE 0 END)")};
    for (const LogValueColumn* c : columns) {
        const QString v = measured(*c);
        cols << QStringLiteral("COUNT(%1)").arg(v) << QStringLiteral("AVG(%1)").arg(v)
             << QStringLiteral("MIN(%1)").arg(v) << QStringLiteral("MAX(%1)").arg(v);
    }
    QSqlQuery q(conn_.db());
    if (!run(q, QStringLiteral("SELECT %1 FROM runs%2").arg(cols.join(QLatin1Char(',')), w.sql), w.binds, error))
        return false;
    out = LogStats{};
    if (!q.next())
        return true;
    int i = 0;
    out.count = q.value(i++).toLongLong();
    out.judged = q.value(i++).toLongLong();
    out.passed = q.value(i++).toLongLong();
    QStringList spread;
    QVariantList binds;
    for (const LogValueColumn* c : columns) {
        LogValueStats s;
        s.column = c;
        s.count = q.value(i++).toLongLong();
        s.mean = q.value(i++).toDouble();
        s.min = q.value(i++).toDouble();
        s.max = q.value(i++).toDouble();
        out.values.push_back(s);
        spread << QStringLiteral("SUM((%1 - CAST(? AS DOUBLE PRECISION)) * (%1 - CAST(? AS DOUBLE PRECISION)))")
                      .arg(measured(*c));
        binds << s.mean << s.mean;
    }
    q.finish();
    if (columns.empty() || out.count == 0)
        return true;
    QSqlQuery q2(conn_.db());
    if (!run(q2, QStringLiteral("SELECT %1 FROM runs%2").arg(spread.join(QLatin1Char(',')), w.sql), binds + w.binds,
             error))
        return false;
    if (q2.next())
        for (size_t k = 0; k < out.values.size(); ++k) {
            LogValueStats& s = out.values[k];
            s.sigma = s.count > 1 ? std::sqrt(q2.value(int(k)).toDouble() / double(s.count - 1)) : 0.0;
        }
    return true;
}

bool LogQuery::ballasts(const LogFilter& filter, const ProfileSet& profiles, LogBallasts& out, QString* error)
{
    out = LogBallasts{};
    LogFilter f = filter;
    f.ballasts = true;
    f.kind = 0;
    f.verdict = LogFilter::Verdict::Any;
    const Where w = whereOf(f, conn_.isServer());
    std::map<QString, size_t> byId;
    {
        QSqlQuery q(conn_.db());
        if (!run(q,
                 QStringLiteral("SELECT id, info_no, COALESCE(info_type, ''), logged_at, verdict, complete, "
                                "verdict_details FROM runs%1 ORDER BY logged_at")
                     .arg(w.sql),
                 w.binds, error))
            return false;
        while (q.next()) {
            BallastOutcome o;
            o.serial = q.value(1).toString().toStdString();
            o.atMs = q.value(3).toLongLong();
            o.result = ballastResultOf(q.value(4), q.value(5).toInt() != 0);
            const QJsonObject details = QJsonDocument::fromJson(q.value(6).toString().toUtf8()).object();
            for (const QJsonValue& key : details.value(QStringLiteral("failed")).toArray())
                if (key.isString())
                    o.failedChecks.push_back(key.toString().toStdString());
            const QString type = q.value(2).toString();
            if (!out.types.contains(type) && out.types.size() < 3)
                out.types << type;
            byId[q.value(0).toString()] = out.outcomes.size();
            out.outcomes.push_back(std::move(o));
        }
    }
    // One type, or none in the log but one asked for by name: its profile, as the ballasts were
    // judged. Several types have no common limits.
    QString type;
    if (out.types.size() == 1)
        type = out.types.front();
    else if (out.types.isEmpty() && !f.type.isEmpty() && !f.type.contains(QLatin1Char('*')) &&
             !f.type.contains(QLatin1Char('?')))
        type = f.type;
    else
        return true;
    const VerdictProfile& profile = profiles.findOrDefault(type.toStdString());
    out.profile = QString::fromStdString(profile.name);
    out.limits = capabilityLimits(profile);
    if (out.outcomes.empty() || out.limits.empty())
        return true;

    // The step runs of those ballasts, oldest first: their values with limits, and the start
    // current and preheat energy from their logged checks.
    std::vector<const LogValueColumn*> columns;
    QStringList cols = {
        QStringLiteral("ballast"), QStringLiteral("kind"),
        QStringLiteral("CASE WHEN kind IN (%1, %2) THEN verdict_details END").arg(KindStart).arg(KindEnergy)};
    for (const auto& [name, limits] : out.limits)
        if (const LogValueColumn* c = findLogValue(name.c_str()); c && name == c->name) {
            columns.push_back(c);
            cols << QLatin1String(c->column);
        }
    QSqlQuery q(conn_.db());
    if (!run(q,
             QStringLiteral("SELECT %1 FROM runs WHERE kind <> 0 AND ballast IN (SELECT id FROM runs%2) "
                            "ORDER BY logged_at")
                 .arg(cols.join(QLatin1Char(',')), w.sql),
             w.binds, error))
        return false;
    const bool wantsStart = out.limits.count(kStartCurrentValue) > 0;
    const bool wantsPreheat = out.limits.count(kPreheatRatioValue) > 0;
    // The upper preheat limit is F times Emin, F from each ballast's own data: one upper limit
    // only when every ballast had the same F.
    std::optional<double> preheatF;
    bool oneF = true;
    while (q.next()) {
        const auto it = byId.find(q.value(0).toString());
        if (it == byId.end())
            continue;
        BallastOutcome& o = out.outcomes[it->second];
        const int32_t kind = q.value(1).toInt();
        for (size_t k = 0; k < columns.size(); ++k) {
            const QVariant v = q.value(int(k) + 3);
            if (measuredBy(*columns[k], kind) && !v.isNull())
                o.values[columns[k]->name] = v.toDouble();
        }
        if (!(kind == KindStart && wantsStart) && !(kind == KindEnergy && wantsPreheat))
            continue;
        const QJsonObject v = QJsonDocument::fromJson(q.value(2).toString().toUtf8()).object();
        if (kind == KindStart) {
            if (const std::optional<LoggedCheck> c = loggedCheck(v, QLatin1String("start.ignition")))
                o.values[kStartCurrentValue] = c->value;
            continue;
        }
        const std::optional<LoggedCheck> low = loggedCheck(v, QLatin1String("preheat.min"));
        const std::optional<LoggedCheck> high = loggedCheck(v, QLatin1String("preheat.max"));
        if (!low || !(low->limit > 0))
            continue;
        o.values[kPreheatRatioValue] = low->value / low->limit;
        if (!high)
            continue;
        const double factor = high->limit / low->limit;
        if (preheatF && std::abs(*preheatF - factor) > 1e-6 * std::abs(factor))
            oneF = false;
        preheatF = factor;
    }
    if (preheatF && oneF)
        out.limits[kPreheatRatioValue].upper = preheatF;
    return true;
}

bool LogQuery::trend(const LogFilter& f, const LogValueColumn& column, std::vector<LogTrendPoint>& out, QString* error)
{
    const Where w = whereOf(f, conn_.isServer());
    const QString v = measured(column);
    QSqlQuery q(conn_.db());
    if (!run(q, QStringLiteral("SELECT logged_at, %1 FROM runs%2 AND %1 IS NOT NULL ORDER BY logged_at").arg(v, w.sql),
             w.binds, error))
        return false;
    out.clear();
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toDouble()});
    return true;
}

bool LogQuery::trendTypes(const LogFilter& f, const LogValueColumn& column, QStringList& types, QString* error)
{
    const Where w = whereOf(f, conn_.isServer());
    QSqlQuery q(conn_.db());
    // Two distinct types are enough to know that the runs do not share one.
    if (!run(q,
             QStringLiteral("SELECT DISTINCT COALESCE(info_type, '') FROM runs%2 AND %1 IS NOT NULL LIMIT 2")
                 .arg(measured(column), w.sql),
             w.binds, error))
        return false;
    types.clear();
    while (q.next())
        types << q.value(0).toString();
    return true;
}

} // namespace korvex
