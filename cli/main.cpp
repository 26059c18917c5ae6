// orvane-cli: runs the customer window's quick query for a logged-in user and prints one page.
#include "customer_pager.h"
#include "customer_query.h"
#include "data_module.h"
#include "data_set.h"
#include "db_error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

enum Exit { Ok = 0, Failed = 1, Usage = 2, Refused = 3 };

void out(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
}

void err(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
}

const char* kUsage =
    "用法: orvane-cli [--ini 文件] query-customers --scope Y|N --user 帐号 [--password 密码]\n"
    "                 [--company 文本] [--linkman 文本] [--data-type 文本] [--area 文本] [--level 文本]\n"
    "                 [--source 文本] [--reject 是|否] [--page N] [--show-sql]\n";

int run(const QStringList& arguments)
{
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示用法"));
    const QCommandLineOption ini(QStringLiteral("ini"), QStringLiteral("Account.Ini 的路径"), QStringLiteral("文件"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("登录帐号"), QStringLiteral("帐号"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("登录密码"), QStringLiteral("密码"));
    const QCommandLineOption scope(QStringLiteral("scope"), QStringLiteral("Y 内部客户，N 托管客户"), QStringLiteral("Y|N"));
    const QCommandLineOption company(QStringLiteral("company"), QStringLiteral("公司名称包含"), QStringLiteral("文本"));
    const QCommandLineOption linkman(QStringLiteral("linkman"), QStringLiteral("联系人包含"), QStringLiteral("文本"));
    const QCommandLineOption dataType(QStringLiteral("data-type"), QStringLiteral("数据类型"), QStringLiteral("文本"));
    const QCommandLineOption area(QStringLiteral("area"), QStringLiteral("行政区域"), QStringLiteral("文本"));
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("客户等级"), QStringLiteral("文本"));
    const QCommandLineOption source(QStringLiteral("source"), QStringLiteral("客户来源"), QStringLiteral("文本"));
    const QCommandLineOption reject(QStringLiteral("reject"), QStringLiteral("退信数据"), QStringLiteral("文本"));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("页码，从 1 起"), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption showSql(QStringLiteral("show-sql"), QStringLiteral("同时显示查询语句、分页条件和查询说明"));
    p.addOptions({help, ini, user, password, scope, company, linkman, dataType, area, level, source, reject, page, showSql});
    p.addPositionalArgument(QStringLiteral("command"), QStringLiteral("query-customers"));

    if (!p.parse(arguments)) {
        err(QStringLiteral("参数错误：") + p.errorText());
        err(QString::fromUtf8(kUsage));
        return Usage;
    }
    if (p.isSet(help)) {
        out(QString::fromUtf8(kUsage).trimmed());
        return Ok;
    }
    const QStringList positional = p.positionalArguments();
    if (positional.size() != 1 || positional.first() != QLatin1String("query-customers")) {
        err(positional.isEmpty() ? QStringLiteral("缺少命令：query-customers")
                                 : QStringLiteral("未知的命令：") + positional.join(QLatin1Char(' ')));
        err(QString::fromUtf8(kUsage));
        return Usage;
    }
    const QString flag = p.value(scope);
    if (flag != QLatin1String("Y") && flag != QLatin1String("N")) {
        err(p.isSet(scope) ? QStringLiteral("--scope 只能是 Y（内部客户）或 N（托管客户），不能是“%1”").arg(flag)
                           : QStringLiteral("缺少 --scope：Y（内部客户）或 N（托管客户）"));
        return Usage;
    }
    if (!p.isSet(user) || p.value(user).isEmpty()) {
        err(QStringLiteral("缺少 --user：登录帐号"));
        return Usage;
    }
    bool pageOk = false;
    const int pageNo = p.value(page).toInt(&pageOk);
    if (!pageOk || pageNo < 1) {
        err(QStringLiteral("--page 必须是从 1 起的整数，不能是“%1”").arg(p.value(page)));
        return Usage;
    }

    DataModule dm(p.value(ini));
    setDataModule(&dm);
    try {
        dm.DataModuleCreate();
    } catch (const DbError& e) {
        err(DataModule::connectFailureText());
        err(e.message());
        return Failed;
    }

    try {
        if (!dm.CheckLogin(p.value(user), p.value(password))) {
            err(QStringLiteral("登录失败：帐号“%1”不存在或密码输入不正确").arg(p.value(user)));
            return Refused;
        }
        if (!dm.userRight(QStringLiteral("Query"))) {
            err(QStringLiteral("用户“%1”没有数据查询权限，不能查询客户资料").arg(dm.CurrentUserCode));
            return Refused;
        }
        // The main menu offers entrusted customers only to users who may work on them.
        if (flag == QLatin1String("N") && !dm.userRight(QStringLiteral("Edit_OutData"))) {
            err(QStringLiteral("用户“%1”没有操作托管数据的权限，不能查询托管客户资料").arg(dm.CurrentUserCode));
            return Refused;
        }

        QuickQueryInput in;
        in.companyName = p.value(company);
        in.linkMan = p.value(linkman);
        in.dataType = p.value(dataType);
        in.area = p.value(area);
        in.level = p.value(level);
        in.source = p.value(source);
        in.reject = p.value(reject);
        const FilterTriple filter = CustomerQuery::build(flag, in);
        if (p.isSet(showSql)) {
            out(filter.querySql);
            out(filter.pagingFilter);
            out(filter.queryDescription);
        }

        DataSet rows(dm.connection());
        CustomerPager pager(rows);
        pager.run(filter);
        if (pageNo > pager.pageCount()) {
            out(pager.totalLabel());
            out(pager.totalPageLabel());
            err(QStringLiteral("第 %1 页不存在：共 %2 页").arg(pageNo).arg(pager.pageCount()));
            return Usage;
        }
        if (pageNo != 1)
            pager.loadPage(pageNo);
        out(pager.totalLabel());
        out(pager.totalPageLabel());
        out(pager.currentPageLabel());
        for (int i = 0; i < rows.recordCount(); ++i) {
            rows.setRecNo(i);
            out(rows.asString(QStringLiteral("Code")) + QLatin1Char('\t') + rows.asString(QStringLiteral("Company_Name")));
        }
    } catch (const DbError& e) {
        err(e.message());
        return Failed;
    }
    return Ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-cli"));
    const int code = run(QCoreApplication::arguments());
    setDataModule(nullptr);
    return code;
}
