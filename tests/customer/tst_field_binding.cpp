#include "data_set.h"
#include "date_box.h"
#include "date_text.h"
#include "db_error.h"
#include "field_binding.h"
#include "test_database.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

class TestFieldBinding : public QObject {
    Q_OBJECT
private slots:
    void showsCurrentRow();
    void writesOnlyWhatChanged();
    void badTextKeepsTyping();
    void dateBox();
};

namespace {
struct Rig {
    Rig() : db(Engine::SQLite), ds(db.connection())
    {
        db.connection().execute(QStringLiteral(
            "insert into Customer (Code, Company_Name, Customer_Level, Register_Date, Remark, Register_Bankrol) values "
            "('C1', '甲', '金牌', '2020-05-06 07:08:09', '第一行\n第二行', 12.5);"
            "insert into Customer (Code, Company_Name, Customer_Level) values ('C2', '乙', 'VIP')"));
        ds.setSql(QStringLiteral("select * from Customer order by ID"));
        binding = new FieldBinding(&ds, &holder);
        name = new QLineEdit(&holder);
        level = new QComboBox(&holder);
        level->addItems({QString(), QStringLiteral("VIP"), QStringLiteral("普通")});
        founded = new DateBox(&holder);
        remark = new QPlainTextEdit(&holder);
        capital = new QLineEdit(&holder);
        binding->bind(name, QStringLiteral("company_name"));
        binding->bind(level, QStringLiteral("Customer_Level"));
        binding->bind(founded, QStringLiteral("Register_Date"));
        binding->bind(remark, QStringLiteral("Remark"));
        binding->bind(capital, QStringLiteral("Register_Bankrol"));
        ds.open();
    }
    TestDatabase db;
    DataSet ds;
    QWidget holder;
    FieldBinding* binding;
    QLineEdit* name;
    QComboBox* level;
    DateBox* founded;
    QPlainTextEdit* remark;
    QLineEdit* capital;
};
} // namespace

void TestFieldBinding::showsCurrentRow()
{
    Rig r;
    QCOMPARE(r.name->text(), QStringLiteral("甲"));
    QCOMPARE(r.founded->text(), QStringLiteral("2020-05-06 07:08:09"));
    QCOMPARE(r.remark->toPlainText(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(r.capital->text(), QStringLiteral("12.5"));
    QCOMPARE(r.level->currentIndex(), -1);   // "金牌" is not an item of the fixed list
    r.ds.next();
    QCOMPARE(r.name->text(), QStringLiteral("乙"));
    QCOMPARE(r.level->currentText(), QStringLiteral("VIP"));
    QVERIFY(r.founded->text().isEmpty());
    QVERIFY(!r.binding->isModified());
    r.ds.close();
    QVERIFY(r.name->text().isEmpty());
}

void TestFieldBinding::writesOnlyWhatChanged()
{
    Rig r;
    r.ds.edit();
    r.name->setText(QStringLiteral("甲改"));
    QVERIFY(r.binding->isModified());
    r.binding->writeBack();
    r.ds.post();
    QSqlQuery q = r.db.connection().query(
        QStringLiteral("select Company_Name, Customer_Level, Register_Date, Remark from Customer where Code='C1'"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("甲改"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("金牌"));   // the fixed list could not show it: kept
    QCOMPARE(DateText::fromVariant(q.value(2)), QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9)));
    QCOMPARE(q.value(3).toString(), QStringLiteral("第一行\n第二行"));

    // Emptying a date box writes NULL.
    r.ds.edit();
    r.founded->clear();
    r.level->setCurrentText(QStringLiteral("普通"));
    r.binding->writeBack();
    r.ds.post();
    q = r.db.connection().query(QStringLiteral("select Register_Date, Customer_Level from Customer where Code='C1'"));
    QVERIFY(q.next());
    QVERIFY(q.value(0).isNull());
    QCOMPARE(q.value(1).toString(), QStringLiteral("普通"));
    QCOMPARE(r.founded->text(), QString());
}

void TestFieldBinding::badTextKeepsTyping()
{
    Rig r;
    r.ds.edit();
    r.name->setText(QStringLiteral("新名"));
    r.founded->setText(QStringLiteral("明天"));
    r.capital->setText(QStringLiteral("很多"));
    QVERIFY_THROWS_EXCEPTION(DbError, r.binding->writeBack());
    QCOMPARE(r.name->text(), QStringLiteral("新名"));
    QCOMPARE(r.founded->text(), QStringLiteral("明天"));
    QCOMPARE(r.capital->text(), QStringLiteral("很多"));
    QVERIFY(r.ds.isEditing());
    r.founded->setText(QStringLiteral("2021-01-01"));
    r.capital->setText(QStringLiteral("99"));
    r.binding->writeBack();
    r.ds.post();
    QCOMPARE(r.ds.asString(QStringLiteral("Company_Name")), QStringLiteral("新名"));
    QCOMPARE(r.ds.asString(QStringLiteral("Register_Date")), QStringLiteral("2021-01-01"));
    QCOMPARE(r.ds.asString(QStringLiteral("Register_Bankrol")), QStringLiteral("99"));
    r.ds.cancel();
}

void TestFieldBinding::dateBox()
{
    DateBox box;
    QVERIFY(box.isEmpty());
    QVERIFY(!box.dateTime().isValid());
    box.setDateTime(QDateTime(QDate(2009, 3, 5), QTime(0, 0)));
    QCOMPARE(box.text(), QStringLiteral("2009-03-05"));
    box.setText(QStringLiteral("2009/03/06 10:11"));
    QCOMPARE(box.dateTime(), QDateTime(QDate(2009, 3, 6), QTime(10, 11)));
    box.setDateTime(QDateTime());
    QVERIFY(box.isEmpty());
    box.setText(QStringLiteral("not a date"));
    QVERIFY(!box.dateTime().isValid());
}

QTEST_MAIN(TestFieldBinding)
#include "tst_field_binding.moc"
