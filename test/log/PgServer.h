// A throwaway PostgreSQL server for a test: initdb and pg_ctl of the installed server in a
// temporary folder, listening only on a Unix socket there. Run as "nobody" when the tests run
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
        const QStringList versions =
            QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& v : versions)
            if (QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(v)))
                bin_ = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(v);
        if (bin_.isEmpty()) {
            error_ = QStringLiteral("no PostgreSQL server under /usr/lib/postgresql (scripts/deps.sh installs it)");
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
