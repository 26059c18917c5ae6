// orvane-db: prepares the database that Account.Ini names, and fills it with demo customers.
//   orvane-db [--ini FILE] init
//   orvane-db [--ini FILE] [--seed S] demo N
// Exit status: 0 done, 1 the work failed, 2 wrong arguments, 3 Account.Ini missing or incomplete,
// 4 unknown Engine, 5 database already initialised, 6 database not reachable, 7 database not initialised.
#include "connection.h"
#include "data_module.h"
#include "db_error.h"
#include "schema.h"
#include "sql_text.h"

#include <QCommandLineParser>
#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace {

enum Status { Done = 0, Failed = 1, Usage = 2, NoIni = 3, BadEngine = 4, AlreadyThere = 5, Unreachable = 6, NotThere = 7 };

void say(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int complain(Status status, const QString& text)
{
    std::fputs(("orvane-db: " + text).toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    return status;
}

struct Settings {
    ConnectionSettings connection;
    QString iniPath;
};

// Reads Account.Ini as the client reads it. Returns a status other than Done on failure (already reported).
Status readSettings(const QString& iniPath, Settings& out)
{
    out.iniPath = QFileInfo(iniPath).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(out.iniPath);
    if (!QFileInfo(iniPath).isFile()) {
        complain(NoIni, QStringLiteral("找不到配置文件 %1。请在其中写好 [Pellacor] 节的 Engine、ServerName、DataBase、"
                                       "DBLogon、LogonPass（见 README.md）。").arg(shown));
        return NoIni;
    }
    DataModule module(out.iniPath);
    const QString engine = module.ReadConfigValue(QStringLiteral("Engine"));
    if (!ConnectionSettings::parseEngine(engine)) {
        complain(BadEngine, QStringLiteral("配置文件 %1 中的 Engine=%2 无法识别，应为 sqlite 或 postgresql（空白即 sqlite）。")
                                .arg(shown, engine));
        return BadEngine;
    }
    try {
        out.connection = module.readSettings();
    } catch (const DbError& e) {
        complain(NoIni, e.message());
        return NoIni;
    }
    if (out.connection.database.trimmed().isEmpty()) {
        complain(NoIni, QStringLiteral("配置文件 %1 中没有指定数据库 (DataBase)。").arg(shown));
        return NoIni;
    }
    return Done;
}

QString describe(const ConnectionSettings& s)
{
    if (s.engine == Engine::SQLite)
        return QStringLiteral("SQLite 数据库文件 %1").arg(QDir::toNativeSeparators(s.sqliteFilePath()));
    return QStringLiteral("PostgreSQL 服务器 %1 上的数据库 %2").arg(s.server.isEmpty() ? QStringLiteral(".") : s.server, s.database);
}

// PostgreSQL: a database that does not exist yet is created when the login may create databases.
// Returns true when it was created; throws DbError when it neither exists nor could be created.
bool createPostgresDatabase(const ConnectionSettings& settings, const QString& openFailure)
{
    ConnectionSettings adminSettings = settings;
    adminSettings.database = QStringLiteral("postgres");
    Connection admin(adminSettings);
    try {
        admin.open();
    } catch (const DbError&) {
        throw DbError(openFailure);   // the server itself is not reachable with this login
    }
    if (admin.hasRows(QStringLiteral("select 1 from pg_database where datname = '%1'").arg(SqlText::escape(settings.database))))
        throw DbError(openFailure);   // it exists: the failure is something else (rights, password)
    QString ident = settings.database;
    ident.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    try {
        admin.execute(QStringLiteral("create database \"%1\" encoding 'UTF8' template template0").arg(ident));
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("数据库 %1 不存在，用 %2 登录也无法建立它：%3")
                          .arg(settings.database, settings.user, e.message()));
    }
    return true;
}

int runInit(const Settings& settings)
{
    const ConnectionSettings& s = settings.connection;
    bool createdFile = false;
    QString sqlitePath;
    if (s.engine == Engine::SQLite) {
        sqlitePath = s.sqliteFilePath();
        if (!QFileInfo::exists(sqlitePath)) {
            try {
                Schema::createSqliteFile(sqlitePath);
            } catch (const DbError& e) {
                return complain(Unreachable, e.message());
            }
            createdFile = true;
        }
    }
    // A file this run created is removed again when the run fails, so that nothing half-made is left.
    auto dropCreatedFile = [&] {
        if (createdFile) {
            QFile::remove(sqlitePath);
            QFile::remove(sqlitePath + QStringLiteral("-wal"));
            QFile::remove(sqlitePath + QStringLiteral("-shm"));
        }
    };

    auto connection = std::make_unique<Connection>(s);
    bool createdDatabase = false;
    try {
        connection->open();
    } catch (const DbError& e) {
        if (s.engine == Engine::SQLite) {
            dropCreatedFile();
            return complain(Unreachable, QStringLiteral("数据库连接不上：%1").arg(e.message()));
        }
        try {
            createdDatabase = createPostgresDatabase(s, e.message());
            connection = std::make_unique<Connection>(s);
            connection->open();
        } catch (const DbError& again) {
            return complain(Unreachable, QStringLiteral("数据库连接不上：%1").arg(again.message()));
        }
    }
    try {
        if (Schema::isPresent(*connection))
            return complain(AlreadyThere, QStringLiteral("%1 已经初始化过（其中已有 Orvane 的数据表），没有做任何改动。")
                                              .arg(describe(s)));
        Schema::create(*connection);
    } catch (const DbError& e) {
        connection.reset();
        dropCreatedFile();
        return complain(Failed, e.message());
    }
    if (createdDatabase)
        say(QStringLiteral("已建立数据库 %1。").arg(s.database));
    say(QStringLiteral("已初始化 %1：数据表、索引、内置用户 Admin（密码为空）和字典条目。").arg(describe(s)));
    return Done;
}

int runDemo(const Settings& settings, qint64 count, quint32 seed)
{
    const ConnectionSettings& s = settings.connection;
    Connection connection(s);
    try {
        connection.open();
    } catch (const DbError& e) {
        return complain(Unreachable, QStringLiteral("数据库连接不上：%1").arg(e.message()));
    }
    try {
        if (!Schema::isPresent(connection))
            return complain(NotThere, QStringLiteral("%1 还没有初始化，请先运行 orvane-db init。").arg(describe(s)));
        Schema::DemoOptions options;
        options.count = count;
        options.seed = seed;
        const qint64 step = std::max<qint64>(100000, count / 10);
        qint64 lastShown = 0;
        options.progress = [&](qint64 done) {
            if (done - lastShown >= step && done < count) {
                lastShown = done;
                say(QStringLiteral("已添加 %1 / %2 ……").arg(done).arg(count));
            }
        };
        QElapsedTimer timer;
        timer.start();
        const qint64 added = Schema::addDemoCustomers(connection, options);
        const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
        say(QStringLiteral("已向 %1 添加 %2 个演示客户，用时 %3 秒。").arg(describe(s)).arg(added).arg(seconds, 0, 'f', 1));
    } catch (const DbError& e) {
        return complain(Failed, e.message());
    }
    return Done;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-db"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("为 Orvane 准备数据库（init），或添加演示客户（demo N）。"));
    parser.addHelpOption();
    const QCommandLineOption iniOption(QStringLiteral("ini"), QStringLiteral("要读取的 Account.Ini（默认为程序目录中的那一个）。"),
                                       QStringLiteral("FILE"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("演示数据的随机种子（相同种子生成相同数据）。"),
                                        QStringLiteral("S"), QString::number(Schema::DemoOptions().seed));
    parser.addOption(iniOption);
    parser.addOption(seedOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init 或 demo"));
    parser.addPositionalArgument(QStringLiteral("N"), QStringLiteral("demo 要添加的客户数量"), QStringLiteral("[N]"));
    if (!parser.parse(QCoreApplication::arguments()))
        return complain(Usage, parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        say(parser.helpText());
        return Done;
    }

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const QString usage = QStringLiteral("用法：orvane-db [--ini FILE] init | orvane-db [--ini FILE] [--seed S] demo N");
    qint64 count = 0;
    quint32 seed = 0;
    if (command == QLatin1String("init")) {
        if (args.size() != 1)
            return complain(Usage, usage);
    } else if (command == QLatin1String("demo")) {
        bool ok = false;
        count = args.value(1).toLongLong(&ok);
        if (args.size() != 2 || !ok || count < 1 || count > 100000000)
            return complain(Usage, QStringLiteral("demo 需要一个 1 到 100000000 之间的客户数量。\n") + usage);
        seed = parser.value(seedOption).toUInt(&ok);
        if (!ok)
            return complain(Usage, QStringLiteral("--seed 需要一个非负整数。"));
    } else {
        return complain(Usage, usage);
    }

    const QString iniPath = parser.isSet(iniOption)
                                ? parser.value(iniOption)
                                : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Account.Ini"));
    Settings settings;
    if (const Status status = readSettings(iniPath, settings); status != Done)
        return status;
    return command == QLatin1String("init") ? runInit(settings) : runDemo(settings, count, seed);
}
