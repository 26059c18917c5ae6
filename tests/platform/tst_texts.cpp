// Pure text helpers: dates, quoting, INI rules, GBK.
#include "date_text.h"
#include "ini_file.h"
#include "sql_text.h"
#include "text_codec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstTexts : public QObject {
    Q_OBJECT
private slots:
    void dateText_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight is a date") << QDateTime(QDate(2026, 1, 5), QTime(0, 0)) << "2026-01-05";
        QTest::newRow("time kept") << QDateTime(QDate(2009, 3, 5), QTime(8, 7, 6)) << "2009-03-05 08:07:06";
        QTest::newRow("invalid is empty") << QDateTime() << "";
    }
    void dateText()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, text);
        QCOMPARE(DateText::fromDateTime(moment), text);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("moment");
        QTest::newRow("date") << "2026-12-11" << QDateTime(QDate(2026, 12, 11), QTime(0, 0));
        QTest::newRow("slashes, short parts") << "2026/1/2" << QDateTime(QDate(2026, 1, 2), QTime(0, 0));
        QTest::newRow("with seconds") << "2026-12-11 09:05:03" << QDateTime(QDate(2026, 12, 11), QTime(9, 5, 3));
        QTest::newRow("with ms and T") << "2026-12-11T09:05:03.045" << QDateTime(QDate(2026, 12, 11), QTime(9, 5, 3, 45));
        QTest::newRow("no such day") << "2026-02-30" << QDateTime();
        QTest::newRow("not a date") << "明天" << QDateTime();
        QTest::newRow("empty") << "" << QDateTime();
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, moment);
        QCOMPARE(DateText::parse(text), moment);
    }

    void quoting()
    {
        QCOMPARE(SqlText::escape("O'Brien's"), QString("O''Brien''s"));
        QCOMPARE(SqlText::escapeTwice("O'B"), QString("O''''B"));
        QCOMPARE(SqlText::unescape(SqlText::escape("a''b'")), QString("a''b'"));
    }

    void ini_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QByteArray base = "[Other]\nServerName=wrong\n[pellacor]\nservername = srv1 \nDataBase=orvane\nEmpty=\n";
        QTest::newRow("other letter case") << base << "Pellacor" << "SERVERNAME" << "srv1";
        QTest::newRow("first section ignored") << base << "Other" << "ServerName" << "wrong";
        QTest::newRow("missing key") << base << "Pellacor" << "LogonPass" << "";
        QTest::newRow("empty value") << base << "Pellacor" << "Empty" << "";
        QTest::newRow("missing section") << base << "Nothing" << "ServerName" << "";
        QTest::newRow("GBK value") << QByteArray("[Pellacor]\nDataBase=") + TextCodec::toGbk("客户库") + "\n" << "Pellacor"
                                   << "DataBase" << "客户库";
        QTest::newRow("UTF-8 with BOM, CRLF") << QByteArray("\xEF\xBB\xBF[Pellacor]\r\nDataBase=客户库\r\n") << "Pellacor"
                                              << "DataBase" << "客户库";
    }
    void ini()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        QFile f(dir.filePath("Account.Ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QCOMPARE(IniFile(f.fileName()).value(section, key), value);
    }

    void iniIsReadAnew()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Account.Ini");
        IniFile ini(path);
        QCOMPARE(ini.value("Pellacor", "DataBase"), QString());   // no file at all
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Pellacor]\nDataBase=one\n");
        f.close();
        QCOMPARE(ini.value("Pellacor", "DataBase"), QString("one"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Pellacor]\nDataBase=two\n");
        f.close();
        QCOMPARE(ini.value("Pellacor", "DataBase"), QString("two"));
    }
};

QTEST_GUILESS_MAIN(TstTexts)
#include "tst_texts.moc"
