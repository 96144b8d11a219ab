// A throwaway PostgreSQL server for a test: initdb and pg_ctl of the installed server (found
// through pg_config) in a temporary folder, listening only on a Unix socket there. Run as "nobody" when the tests run
// as root (the server refuses root).
#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <unistd.h>

class PgServer {
  public:
    PgServer()
    {
        // The server's programs lie where pg_config says (Debian: /usr/lib/postgresql/N/bin),
        // whichever version is installed; no cluster of the system's is needed or used.
        QProcess config;
        config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
        if (!config.waitForFinished(10000) || config.exitStatus() != QProcess::NormalExit || config.exitCode() != 0) {
            error_ = QStringLiteral("pg_config cannot be run (package libpq-dev; scripts/deps.sh installs it)");
            return;
        }
        bin_ = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed() + QLatin1Char('/');
        for (const char* program : {"initdb", "pg_ctl"})
            if (!QFile::exists(bin_ + QLatin1String(program))) {
                error_ = QStringLiteral("no %1 in %2, the folder pg_config names (package postgresql; "
                                        "scripts/deps.sh installs it)")
                             .arg(QLatin1String(program), bin_);
                return;
            }
        if (!dir_.isValid()) {
            error_ = QStringLiteral("no temporary folder");
            return;
        }
        if (::geteuid() == 0 && ::chown(qPrintable(dir_.path()), 65534, 65534) != 0) {
            error_ = QStringLiteral("cannot hand the folder to nobody");
            return;
        }
        if (!run(bin_ + QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-U"), QStringLiteral("korvex"), QStringLiteral("-A"),
                  QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-sync")}))
            return;
        start();
    }
    ~PgServer()
    {
        if (running_)
            stop();
    }

    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    /// The server as a log target URL.
    QString url() const
    {
        return QStringLiteral("postgresql://korvex@/postgres?host=%1&port=%2").arg(dir_.path()).arg(kPort);
    }
    bool start()
    {
        running_ = run(bin_ + QStringLiteral("pg_ctl"),
                       {QStringLiteral("-D"), data(), QStringLiteral("-l"), dir_.filePath(QStringLiteral("server.log")),
                        QStringLiteral("-o"),
                        QStringLiteral("-k %1 -c listen_addresses='' -p %2 -c fsync=off").arg(dir_.path()).arg(kPort),
                        QStringLiteral("-w"), QStringLiteral("start")});
        return running_;
    }
    bool stop()
    {
        running_ = false;
        return run(bin_ + QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                    QStringLiteral("stop")});
    }

  private:
    static constexpr int kPort = 54329; // names the socket file in the private folder only
    QString data() const { return dir_.filePath(QStringLiteral("data")); }
    bool run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        if (::geteuid() == 0)
            p.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), program} + args);
        else
            p.start(program, args);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            error_ = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll()));
            return false;
        }
        return true;
    }

    QString bin_;
    QTemporaryDir dir_;
    QString error_;
    bool running_ = false;
};
