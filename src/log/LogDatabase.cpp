// Connections, the schema and its migrations, and the rows of the runs table.
#include "log/LogDatabase.h"

#include <QtCore/QAtomicInteger>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QThread>
#include <QtCore/QUrl>
#include <QtCore/QUrlQuery>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <QtSql/QSqlRecord>

#include "kinds/VerdictNames.h"
#include "log/LogColumns.h"

namespace korvex {

namespace {

QAtomicInteger<int> connectionCounter;

// Schema steps: step n brings a log of version n-1 to version n. Types are written for both
// engines ({blob} differs).
const char* const kMigration1[] = {
    "CREATE TABLE runs ("
    " id TEXT PRIMARY KEY,"
    " logged_at BIGINT NOT NULL,"
    " bench TEXT NOT NULL,"
    " port TEXT NOT NULL,"
    " kind INTEGER NOT NULL,"
    " series_runs INTEGER NOT NULL,"
    "{texts}"
    "{values}"
    " verdict TEXT,"
    " verdict_details TEXT,"
    " program_version TEXT NOT NULL)",
    "CREATE INDEX runs_logged_at ON runs (logged_at)",
    "CREATE INDEX runs_serial ON runs (info_no)",
    // The data file images, zlib-compressed (most of a record is the zeros of kinds that did not
    // run), in a table of their own so that queries over the runs never read them.
    "CREATE TABLE records (id TEXT PRIMARY KEY, image {blob} NOT NULL)",
};

// Version 2: a run can be marked as a retest of a serial number that had passed.
const char* const kMigration2[] = {
    "ALTER TABLE runs ADD COLUMN retest INTEGER NOT NULL DEFAULT 0",
};

// Version 3: production sequences. A step's run names its ballast; a ballast is an entry of
// kind 0 with its plan, start time and whether it completed.
const char* const kMigration3[] = {
    "ALTER TABLE runs ADD COLUMN ballast TEXT",      "ALTER TABLE runs ADD COLUMN plan TEXT",
    "ALTER TABLE runs ADD COLUMN started_at BIGINT", "ALTER TABLE runs ADD COLUMN complete INTEGER NOT NULL DEFAULT 1",
    "CREATE INDEX runs_ballast ON runs (ballast)",
};

QString expand(const char* statement, bool server)
{
    QString s = QString::fromLatin1(statement);
    QString texts, values;
    for (const LogTextColumn& t : logTextColumns())
        texts += QStringLiteral(" %1 TEXT NOT NULL,").arg(QLatin1String(t.column));
    for (const LogValueColumn& c : logValueColumns())
        values += QStringLiteral(" %1 REAL,").arg(QLatin1String(c.column));
    s.replace(QLatin1String("{texts}"), texts);
    s.replace(QLatin1String("{values}"), values);
    s.replace(QLatin1String("{blob}"), server ? QLatin1String("BYTEA") : QLatin1String("BLOB"));
    return s;
}

bool exec(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    if (error)
        *error = sqlErrorText(q.lastError());
    return false;
}

bool migrate(QSqlDatabase& db, bool server, QString* error)
{
    if (!db.transaction()) {
        *error = sqlErrorText(db.lastError());
        return false;
    }
    auto fail = [&] {
        db.rollback();
        return false;
    };
    // Several benches may open a new server database at once: one migrates, the others wait.
    if (server && !exec(db, QStringLiteral("SELECT pg_advisory_xact_lock(4711015)"), error))
        return fail();
    if (!exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"), error))
        return fail();
    int version = 0;
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version"))) {
            *error = sqlErrorText(q.lastError());
            return fail();
        }
        if (q.next())
            version = q.value(0).toInt();
    }
    if (version > kLogSchemaVersion) {
        *error = QStringLiteral("the log was written by a newer program (schema %1, this program knows %2)")
                     .arg(version)
                     .arg(kLogSchemaVersion);
        return fail();
    }
    if (version < 1) {
        for (const char* s : kMigration1)
            if (!exec(db, expand(s, server), error))
                return fail();
    }
    if (version < 2) {
        for (const char* s : kMigration2)
            if (!exec(db, expand(s, server), error))
                return fail();
    }
    if (version < 3) {
        for (const char* s : kMigration3)
            if (!exec(db, expand(s, server), error))
                return fail();
    }
    if (version < kLogSchemaVersion &&
        !exec(db, QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(kLogSchemaVersion), error))
        return fail();
    if (!db.commit()) {
        *error = sqlErrorText(db.lastError());
        return fail();
    }
    return true;
}

} // namespace

// ---- Targets ------------------------------------------------------------------------------------

LogTarget LogTarget::parse(const QString& text, const QString& defaultDir)
{
    LogTarget t;
    const QString dir = defaultDir.isEmpty() ? QDir::currentPath() : defaultDir;
    t.queuePath = QDir(dir).filePath(QLatin1String(kQueueFileName));
    t.unwrittenPath = QDir(dir).filePath(QLatin1String(kUnwrittenFileName));
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("postgresql://")) || trimmed.startsWith(QLatin1String("postgres://"))) {
        t.type = Type::PostgreSQL;
        t.url = trimmed;
    } else {
        t.path = trimmed.isEmpty() ? QDir(dir).filePath(QLatin1String(kLogFileName)) : trimmed;
    }
    return t;
}

QString LogTarget::display() const
{
    if (!unusable.isEmpty())
        return QStringLiteral("(not known while its settings cannot be read)");
    if (!isServer())
        return path;
    QUrl u(url);
    u.setPassword(QString());
    return u.toString();
}

QString LogTarget::key() const
{
    if (!unusable.isEmpty())
        return QStringLiteral(""); // not NULL: the column is NOT NULL
    return isServer() ? display() : QFileInfo(path).absoluteFilePath();
}

// ---- Connections --------------------------------------------------------------------------------

LogConnection::LogConnection() : name_(QStringLiteral("korvex-log-%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {}

LogConnection::~LogConnection()
{
    close();
}

void LogConnection::close()
{
    if (!QSqlDatabase::contains(name_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

bool LogConnection::isOpen() const
{
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase LogConnection::db() const
{
    return QSqlDatabase::database(name_, false);
}

bool LogConnection::open(const LogTarget& target, bool queue, QString* error, SqlUse use)
{
    if (!target.unusable.isEmpty()) {
        if (error)
            *error = target.unusable;
        return false;
    }
    if (!target.isServer() || queue)
        return openFile(queue ? target.queuePath : target.path, error, use);
    close();
    QString why;
    server_ = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        const QUrl u(target.url);
        const QUrlQuery query(u);
        QString host = u.host();
        if (query.hasQueryItem(QStringLiteral("host")))
            host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
        if (!host.isEmpty())
            db.setHostName(host);
        if (u.port() > 0)
            db.setPort(u.port());
        else if (query.hasQueryItem(QStringLiteral("port")))
            db.setPort(query.queryItemValue(QStringLiteral("port")).toInt());
        db.setDatabaseName(u.path().mid(1));
        if (!u.userName().isEmpty())
            db.setUserName(u.userName(QUrl::FullyDecoded));
        if (!u.password().isEmpty())
            db.setPassword(u.password(QUrl::FullyDecoded));
        // An unreachable server must not hold the writer for long.
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
        if (!db.isValid())
            why = QStringLiteral("the Qt SQL driver for PostgreSQL is not installed");
        else if (!db.open())
            why = sqlErrorText(db.lastError());
        else {
            // "already exists, skipping" notices of the migration would reach the terminal.
            QSqlQuery q(db);
            q.exec(QStringLiteral("SET client_min_messages TO warning"));
            migrate(db, true, &why);
        }
    }
    if (!why.isEmpty()) {
        close();
        if (error)
            *error = QStringLiteral("%1: %2").arg(target.display(), why);
        return false;
    }
    return true;
}

namespace {

// A database of another program is never taken over: one that has tables, but not the log's,
// is refused before anything is written to it. An empty or new file becomes a log.
QString foreignDatabase(QSqlDatabase& db, SqlUse use)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")))
        return sqlErrorText(q.lastError(), use);
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    if (tables.isEmpty())
        return {};
    for (const char* own : {"schema_version", "runs", "records"})
        if (!tables.contains(QLatin1String(own))) {
            const QString shown = tables.size() > 5
                                      ? tables.mid(0, 5).join(QStringLiteral(", ")) + QStringLiteral(", ...")
                                      : tables.join(QStringLiteral(", "));
            return QStringLiteral("not a results log but a database of another program (its tables: %1); "
                                  "it is left as it is")
                .arg(shown);
        }
    return {};
}

} // namespace

bool LogConnection::openFile(const QString& path, QString* error, SqlUse use)
{
    close();
    QString why;
    server_ = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.isValid())
            why = QStringLiteral("the Qt SQL driver for SQLite is not installed");
        else if (!db.open())
            why = sqlErrorText(db.lastError(), use);
        else
            why = foreignDatabase(db, use); // before anything is written
        if (why.isEmpty()) {
            // WAL: readers (the history window, the command-line tool) never wait for the
            // writer; FULL: a commit is on the disk before the entry counts as logged.
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next() ||
                !q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
                why = sqlErrorText(q.lastError(), use);
        }
        if (why.isEmpty())
            migrate(db, false, &why);
    }
    if (!why.isEmpty()) {
        close();
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

bool LogConnection::openReadOnly(const QString& path, QString* error)
{
    close();
    QString why;
    server_ = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.isValid())
            why = QStringLiteral("the Qt SQL driver for SQLite is not installed");
        else if (!db.open())
            why = sqlErrorText(db.lastError());
    }
    if (!why.isEmpty()) {
        close();
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

// ---- Rows ---------------------------------------------------------------------------------------

namespace {

QStringList runColumns()
{
    QStringList cols = {QStringLiteral("id"),   QStringLiteral("logged_at"), QStringLiteral("bench"),
                        QStringLiteral("port"), QStringLiteral("kind"),      QStringLiteral("series_runs")};
    for (const LogTextColumn& t : logTextColumns())
        cols << QLatin1String(t.column);
    for (const LogValueColumn& c : logValueColumns())
        cols << QLatin1String(c.column);
    cols << QStringLiteral("verdict") << QStringLiteral("verdict_details") << QStringLiteral("program_version")
         << QStringLiteral("retest") << QStringLiteral("ballast") << QStringLiteral("plan")
         << QStringLiteral("started_at") << QStringLiteral("complete");
    return cols;
}

} // namespace

QString logColumnList()
{
    static const QString list = [] {
        QStringList cols = runColumns();
        for (QString& c : cols)
            c.prepend(QLatin1String("runs."));
        return cols.join(QLatin1Char(','));
    }();
    return list;
}

namespace {

// A null QString binds as NULL; the text columns hold "" instead.
QString text(const QString& s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

} // namespace

bool insertLogEntry(QSqlDatabase& db, const LogEntry& e, QString* error, bool ownTransaction)
{
    static const QStringList cols = runColumns();
    QStringList marks;
    for (qsizetype i = 0; i < cols.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    const QString sql = QStringLiteral("INSERT INTO runs (%1) VALUES (%2) ON CONFLICT (id) DO NOTHING")
                            .arg(cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    QSqlQuery image(db);
    if (!q.prepare(sql) ||
        !image.prepare(QStringLiteral("INSERT INTO records (id, image) VALUES (?, ?) ON CONFLICT (id) DO NOTHING"))) {
        if (error)
            *error = sqlErrorText(q.lastError());
        return false;
    }
    q.addBindValue(e.id);
    q.addBindValue(e.loggedAtMs);
    q.addBindValue(text(e.bench));
    q.addBindValue(text(e.port));
    q.addBindValue(e.kind);
    q.addBindValue(e.seriesRuns);
    for (qsizetype i = 0; i < qsizetype(logTextColumns().size()); ++i)
        q.addBindValue(text(e.texts.value(i)));
    for (size_t i = 0; i < logValueColumns().size(); ++i)
        q.addBindValue(i < e.values.size() ? double(e.values[i]) : 0.0);
    q.addBindValue(QString::fromLatin1(resultKey(e.verdict)));
    q.addBindValue(e.verdictDetails.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(e.verdictDetails));
    q.addBindValue(text(e.programVersion));
    q.addBindValue(e.retest ? 1 : 0);
    const QVariant null(QMetaType::fromType<QString>());
    q.addBindValue(e.ballast.isEmpty() ? null : QVariant(e.ballast));
    q.addBindValue(e.plan.isEmpty() ? null : QVariant(e.plan));
    q.addBindValue(e.startedAtMs > 0 ? QVariant(e.startedAtMs) : QVariant(QMetaType::fromType<qint64>()));
    q.addBindValue(e.complete ? 1 : 0);
    image.addBindValue(e.id);
    image.addBindValue(qCompress(e.record, 6));
    if (ownTransaction && !db.transaction()) {
        if (error)
            *error = sqlErrorText(db.lastError());
        return false;
    }
    if (!q.exec() || !image.exec()) {
        if (error)
            *error = sqlErrorText(q.lastError().isValid() ? q.lastError() : image.lastError());
        if (ownTransaction)
            db.rollback();
        return false;
    }
    if (ownTransaction && !db.commit()) {
        if (error)
            *error = sqlErrorText(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

LogEntry readLogEntry(const QSqlQuery& q, bool withImage)
{
    LogEntry e;
    int i = 0;
    e.id = q.value(i++).toString();
    e.loggedAtMs = q.value(i++).toLongLong();
    e.bench = q.value(i++).toString();
    e.port = q.value(i++).toString();
    e.kind = q.value(i++).toInt();
    e.seriesRuns = q.value(i++).toInt();
    for (size_t t = 0; t < logTextColumns().size(); ++t)
        e.texts << q.value(i++).toString();
    for (size_t c = 0; c < logValueColumns().size(); ++c)
        e.values.push_back(q.value(i++).toFloat());
    const QVariant verdict = q.value(i++);
    e.verdict = verdictResultOf(verdict.toString(), verdict.isNull());
    e.verdictDetails = q.value(i++).toString();
    e.programVersion = q.value(i++).toString();
    e.retest = q.value(i++).toInt() != 0;
    e.ballast = q.value(i++).toString();
    e.plan = q.value(i++).toString();
    e.startedAtMs = q.value(i++).toLongLong();
    e.complete = q.value(i++).toInt() != 0;
    if (withImage)
        e.record = qUncompress(q.value(i++).toByteArray());
    return e;
}

std::optional<LogEntry> findLogEntry(QSqlDatabase& db, const QString& id, QString* error, SqlUse use)
{
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("SELECT %1, records.image FROM runs JOIN records ON records.id = runs.id WHERE runs.id = ?")
            .arg(logColumnList()));
    q.addBindValue(id);
    if (!q.exec()) {
        if (error)
            *error = sqlErrorText(q.lastError(), use);
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    return readLogEntry(q, true);
}

bool removeLogEntry(QSqlDatabase& db, const QString& id, QString* error)
{
    if (!db.transaction()) {
        if (error)
            *error = sqlErrorText(db.lastError());
        return false;
    }
    for (const char* table : {"runs", "records"}) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("DELETE FROM %1 WHERE id = ?").arg(QLatin1String(table)));
        q.addBindValue(id);
        if (!q.exec()) {
            if (error)
                *error = sqlErrorText(q.lastError());
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        if (error)
            *error = sqlErrorText(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

namespace {

// What an SQLite result code means to the operator. SQLite's codes have at most four digits;
// PostgreSQL's (SQLSTATE) always five characters, so they are never taken for SQLite's.
const char* sqliteTrouble(const QString& nativeCode, SqlUse use)
{
    bool numeric = false;
    const int code = nativeCode.toInt(&numeric) & 0xff; // the primary code of an extended one
    if (!numeric || nativeCode.size() > 4)
        return nullptr;
    const bool reading = use == SqlUse::Read;
    switch (code) {
    case 13: return "the disk is full"; // SQLITE_FULL
    case 10:                            // SQLITE_IOERR
        return reading ? "the file could not be read (the disk failed, or the file was changed while open)"
                       : "the disk refuses to write (full, or failing)";
    case 5:                                                        // SQLITE_BUSY
    case 6: return "another program holds the file locked";        // SQLITE_LOCKED
    case 11:                                                       // SQLITE_CORRUPT
    case 26: return "the file is damaged or is not a results log"; // SQLITE_NOTADB
    case 14:                                                       // SQLITE_CANTOPEN
        return reading ? "the file is missing or cannot be opened" : "the file or its folder cannot be written";
    case 3:  // SQLITE_PERM
    case 8:  // SQLITE_READONLY
    case 23: // SQLITE_AUTH
        return reading ? "the file or its folder is read-only to this program (a reader writes the "
                         "log's index beside it)"
                       : "the file or its folder cannot be written";
    default: return nullptr;
    }
}

} // namespace

QString sqlErrorText(const QSqlError& e, SqlUse use)
{
    QString text = e.databaseText().trimmed();
    const QString driver = e.driverText().trimmed();
    if (text.isEmpty())
        text = driver;
    else if (!driver.isEmpty() && !text.contains(driver))
        text = driver + QLatin1String(": ") + text;
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    if (const char* trouble = sqliteTrouble(e.nativeErrorCode(), use))
        return QStringLiteral("%1 (%2)").arg(QLatin1String(trouble), text);
    return text;
}

} // namespace korvex
