#include "demo_customer_generator.h"

#include "data_module.h"

#include <QHash>
#include <QtGlobal>
#include <cstdio>
#include <algorithm>
#include <array>
#include <iterator>

namespace {

enum Column {
    Code, Self_Data, Data_Type, Company_Name, Main_LinkMan, Position_Name, Tel_Area_Code, Tel, Fax, Post_Code,
    Address, Email, Http, Register_Bankrol, Register_Date, Employee_Count, Data_Source, Area, Province,
    Company_Property, Customer_Level, Update_Date, Create_Date, Trade, YearSaleMoney, Main_Trade, Trustee,
    RejectData, Other_LinkMans, ID_Card, Job_Desc, Sex, Born_Date, Car_Name, Car_Code, Country, City, Remark,
    ColumnCount
};

struct CityInfo {
    const char* city;
    const char* province;
    const char* area;
    const char* telCode;
    const char* postPrefix;   // first three digits of the city's postal codes
    const char* plate;        // licence plate prefix
    int weight;
};

// Bigger cities hold more of the register.
const CityInfo kCities[] = {
    {"北京", "北京市", "华北", "010", "100", "京A", 9},
    {"上海", "上海市", "华东", "021", "200", "沪A", 9},
    {"天津", "天津市", "华北", "022", "300", "津A", 3},
    {"重庆", "重庆市", "西南", "023", "400", "渝A", 3},
    {"广州", "广东省", "华南", "020", "510", "粤A", 7},
    {"深圳", "广东省", "华南", "0755", "518", "粤B", 8},
    {"东莞", "广东省", "华南", "0769", "523", "粤S", 3},
    {"佛山", "广东省", "华南", "0757", "528", "粤E", 3},
    {"珠海", "广东省", "华南", "0756", "519", "粤C", 2},
    {"中山", "广东省", "华南", "0760", "528", "粤T", 1},
    {"汕头", "广东省", "华南", "0754", "515", "粤D", 1},
    {"杭州", "浙江省", "华东", "0571", "310", "浙A", 5},
    {"宁波", "浙江省", "华东", "0574", "315", "浙B", 3},
    {"温州", "浙江省", "华东", "0577", "325", "浙C", 2},
    {"绍兴", "浙江省", "华东", "0575", "312", "浙D", 1},
    {"嘉兴", "浙江省", "华东", "0573", "314", "浙F", 1},
    {"金华", "浙江省", "华东", "0579", "321", "浙G", 1},
    {"南京", "江苏省", "华东", "025", "210", "苏A", 4},
    {"苏州", "江苏省", "华东", "0512", "215", "苏E", 4},
    {"无锡", "江苏省", "华东", "0510", "214", "苏B", 2},
    {"常州", "江苏省", "华东", "0519", "213", "苏D", 2},
    {"南通", "江苏省", "华东", "0513", "226", "苏F", 1},
    {"合肥", "安徽省", "华东", "0551", "230", "皖A", 2},
    {"福州", "福建省", "华东", "0591", "350", "闽A", 2},
    {"厦门", "福建省", "华东", "0592", "361", "闽D", 2},
    {"泉州", "福建省", "华东", "0595", "362", "闽C", 1},
    {"南昌", "江西省", "华东", "0791", "330", "赣A", 1},
    {"济南", "山东省", "华东", "0531", "250", "鲁A", 2},
    {"青岛", "山东省", "华东", "0532", "266", "鲁B", 2},
    {"烟台", "山东省", "华东", "0535", "264", "鲁F", 1},
    {"郑州", "河南省", "华中", "0371", "450", "豫A", 2},
    {"洛阳", "河南省", "华中", "0379", "471", "豫C", 1},
    {"武汉", "湖北省", "华中", "027", "430", "鄂A", 3},
    {"长沙", "湖南省", "华中", "0731", "410", "湘A", 2},
    {"成都", "四川省", "西南", "028", "610", "川A", 4},
    {"贵阳", "贵州省", "西南", "0851", "550", "贵A", 1},
    {"昆明", "云南省", "西南", "0871", "650", "云A", 1},
    {"西安", "陕西省", "西北", "029", "710", "陕A", 2},
    {"兰州", "甘肃省", "西北", "0931", "730", "甘A", 1},
    {"乌鲁木齐", "新疆维吾尔自治区", "西北", "0991", "830", "新A", 1},
    {"南宁", "广西壮族自治区", "华南", "0771", "530", "桂A", 1},
    {"海口", "海南省", "华南", "0898", "570", "琼A", 1},
    {"石家庄", "河北省", "华北", "0311", "050", "冀A", 1},
    {"太原", "山西省", "华北", "0351", "030", "晋A", 1},
    {"呼和浩特", "内蒙古自治区", "华北", "0471", "010", "蒙A", 1},
    {"沈阳", "辽宁省", "东北", "024", "110", "辽A", 2},
    {"大连", "辽宁省", "东北", "0411", "116", "辽B", 2},
    {"长春", "吉林省", "东北", "0431", "130", "吉A", 1},
    {"哈尔滨", "黑龙江省", "东北", "0451", "150", "黑A", 1},
};

struct Industry {
    const char* word;       // as it stands in the company name
    const char* trade;      // the Trade dictionary entry
    const char* mainTrade;  // main business
    int weight;
};

// The weights keep a two-character word such as 科技 in about one company name in eight.
const Industry kIndustries[] = {
    {"科技", "信息技术", "软件开发、系统集成、技术服务", 3},
    {"信息技术", "信息技术", "信息系统集成、软件外包、运维服务", 1},
    {"网络科技", "信息技术", "网站建设、网络推广、电子商务", 1},
    {"电子", "电子电器", "电子元器件、线路板加工", 2},
    {"电器", "电子电器", "家用电器销售与维修", 1},
    {"机械", "机械制造", "机械设备制造、零部件加工", 2},
    {"机电设备", "机械制造", "机电设备安装、维修", 1},
    {"贸易", "商业贸易", "进出口贸易、日用百货批发", 3},
    {"商贸", "商业贸易", "办公用品、劳保用品批发零售", 2},
    {"服饰", "服装纺织", "服装设计、生产与销售", 1},
    {"纺织", "服装纺织", "面料、纺织品生产", 1},
    {"食品", "食品饮料", "食品加工、预包装食品销售", 2},
    {"建材", "建筑建材", "建筑材料、装饰材料销售", 1},
    {"建筑工程", "建筑建材", "房屋建筑、市政工程施工", 1},
    {"化工", "化工", "化工原料及产品销售", 1},
    {"物流", "物流运输", "公路货运、仓储配送", 2},
    {"餐饮管理", "餐饮酒店", "餐饮服务、团餐配送", 1},
    {"文化传媒", "文化传媒", "影视制作、活动策划", 1},
    {"房地产开发", "房地产", "房地产开发与经营", 1},
    {"医药", "医药医疗", "药品、医疗器械销售", 1},
    {"印刷", "印刷包装", "包装装潢印刷、画册印刷", 1},
    {"包装材料", "印刷包装", "纸箱、塑料包装生产", 1},
    {"汽车服务", "汽车及配件", "汽车维修、配件销售", 1},
    {"农业", "农林牧渔", "蔬菜种植、农产品销售", 1},
    {"企业管理咨询", "咨询服务", "企业管理咨询、财务咨询", 1},
    {"教育咨询", "教育培训", "职业技能培训、教育咨询", 1},
    {"旅行社", "旅游", "国内旅游、入境旅游业务", 1},
    {"家具", "家具家居", "办公家具、家居用品生产销售", 1},
    {"环保科技", "环保", "污水处理设备、环保工程", 1},
    {"电力设备", "能源电力", "输配电设备制造", 1},
    {"广告", "广告", "广告设计、制作、发布", 1},
    {"通信技术", "通信", "通信设备、网络工程", 1},
    {"五金", "五金", "五金交电、工具批发", 1},
};

struct Weighted {
    const char* text;
    int weight;
};

const Weighted kForms[] = {{"有限公司", 12}, {"有限责任公司", 4}, {"股份有限公司", 2}, {"经营部", 1}, {"工作室", 1}};
const Weighted kPositions[] = {{"总经理", 6}, {"经理", 10}, {"副总经理", 2}, {"董事长", 2}, {"总监", 2}, {"主管", 5},
                               {"主任", 2}, {"职员", 4}, {"业务员", 3}, {"销售代表", 2}, {"采购", 3}, {"会计", 2},
                               {"工程师", 2}, {"秘书", 1}, {"行政助理", 1}, {"法人代表", 2}};
const Weighted kSources[] = {{"网上", 8}, {"展会", 5}, {"人工", 6}, {"报刊", 3}, {"电话营销", 4}, {"客户介绍", 4},
                             {"老客户", 3}, {"广告", 2}, {"黄页", 2}, {"上门拜访", 2}, {"其他", 1}};
const Weighted kLevels[] = {{"", 25}, {"普通", 58}, {"VIP", 7}, {"白金", 7}, {"钻石", 3}};
const Weighted kProperties[] = {{"内资", 80}, {"外资", 10}, {"其它", 5}, {"", 5}};
const Weighted kJobs[] = {{"工程师", 3}, {"教师", 2}, {"医生", 1}, {"会计", 2}, {"销售", 3}, {"公务员", 1},
                          {"个体经营", 3}, {"律师", 1}, {"设计师", 1}, {"程序员", 2}, {"职员", 4}, {"退休", 1}};
const Weighted kCars[] = {{"大众", 5}, {"丰田", 4}, {"本田", 3}, {"别克", 2}, {"比亚迪", 3}, {"宝马", 2},
                          {"奔驰", 2}, {"奥迪", 2}, {"吉利", 2}, {"长安", 1}, {"日产", 2}};
const Weighted kRemarks[] = {{"老客户，需定期回访", 3}, {"有意向，下月再联系", 3}, {"已寄样品", 2},
                             {"电话无人接听", 2}, {"要求报价", 2}, {"年底集中采购", 1}};
const Weighted kMailHosts[] = {{"qq.com", 6}, {"163.com", 4}, {"126.com", 2}, {"sina.com", 1}, {"hotmail.com", 1}};
const Weighted kTlds[] = {{".com", 6}, {".com.cn", 3}, {".cn", 2}, {".net", 1}};
const Weighted kMailBoxes[] = {{"sales", 4}, {"info", 3}, {"service", 2}, {"contact", 2}, {"admin", 1}, {"hr", 1}};

// Two characters of these make a trade name; none of them is part of the industry words above.
const char* const kBrandChars[] = {
    "华", "宏", "鑫", "盛", "泰", "达", "恒", "信", "远", "通", "源", "丰", "瑞", "祥", "隆", "兴", "昌", "德",
    "利", "金", "安", "永", "佳", "嘉", "明", "新", "天", "海", "正", "东", "方", "中", "百", "联", "创", "志",
    "博", "腾", "飞", "龙", "凯", "威", "捷", "晨", "星", "光", "辉", "康", "美", "和", "汇", "荣", "亿", "万",
    "顺", "益", "鼎", "诚", "弘", "富", "力", "宇", "欣", "锦", "骏", "峰", "众", "合"};

const char* const kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "郭", "何", "高",
    "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "彭", "曾", "肖", "田", "董", "袁",
    "潘", "于", "蒋", "蔡", "余", "杜", "叶", "程", "苏", "魏", "吕", "丁", "任", "沈", "姚", "卢", "姜", "崔",
    "钟", "谭", "陆", "汪", "范", "金", "石", "廖", "贾", "夏", "韦", "方", "白", "邹", "孟", "熊", "秦", "邱",
    "江", "尹", "薛", "段", "雷", "侯", "龙", "史", "陶", "黎", "贺", "顾", "毛", "郝", "龚", "邵", "万", "钱",
    "严", "武", "戴", "莫", "孔", "向", "汤", "欧阳", "司马", "诸葛"};

const char* const kGivenChars[] = {
    "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛", "明", "超", "霞",
    "平", "刚", "建", "华", "红", "志", "海", "玲", "国", "晓", "丹", "鹏", "辉", "宇", "浩", "婷", "雪", "琳",
    "欣", "怡", "子", "涵", "梓", "轩", "博", "俊", "峰", "斌", "亮", "健", "颖", "慧", "倩", "晨", "凯", "文",
    "秀", "英", "兰", "春", "荣", "波", "飞", "云", "燕", "萍", "彬", "毅", "琴", "岚"};

const char* const kDistricts[] = {"高新区", "经济开发区", "工业园区", "新区", "城东区", "城西区", "城南区", "城北区",
                                  "中心区", "滨海区", "开发区", "保税区"};
const char* const kRoads[] = {"人民路", "解放路", "中山路", "建设路", "和平路", "新华路", "长江路", "黄河路",
                              "学府路", "工业大道", "创业路", "文化路", "南京路", "北京路", "滨江路", "环城路",
                              "东风路", "青年路", "朝阳路", "迎宾大道", "金融街", "光明路", "幸福路", "发展大道"};

template <typename T, size_t N> constexpr int countOf(const T (&)[N]) { return static_cast<int>(N); }

// The tables above as QString, converted once per text: conversion dominated the generator's time.
QString u(const char* text)
{
    static QHash<const char*, QString> cache;
    auto it = cache.constFind(text);
    if (it == cache.constEnd())
        it = cache.insert(text, QString::fromUtf8(text));
    return *it;
}

// DateText::storage of a moment, without QDateTime's formatter (a million rows call it four times each).
QString storageText(const QDateTime& moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    char buffer[32];
    if (t.msec())
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year(), d.month(), d.day(), t.hour(),
                      t.minute(), t.second(), t.msec());
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(),
                      t.minute(), t.second());
    return QString::fromLatin1(buffer);
}

} // namespace

const QStringList& DemoCustomerGenerator::columns()
{
    static const QStringList names = {
        "Code", "Self_Data", "Data_Type", "Company_Name", "Main_LinkMan", "Position_Name", "Tel_Area_Code", "Tel",
        "Fax", "Post_Code", "Address", "Email", "Http", "Register_Bankrol", "Register_Date", "Employee_Count",
        "Data_Source", "Area", "Province", "Company_Property", "Customer_Level", "Update_Date", "Create_Date", "Trade",
        "YearSaleMoney", "Main_Trade", "Trustee", "RejectData", "Other_LinkMans", "ID_Card", "Job_Desc", "Sex",
        "Born_Date", "Car_Name", "Car_Code", "Country", "City", "Remark"};
    Q_ASSERT(names.size() == ColumnCount);
    return names;
}

DemoCustomerGenerator::DemoCustomerGenerator(quint32 seed, const QDateTime& start, qint64 count)
    : m_state(0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(seed) << 17 | seed)),
      // Wall-clock fields without a time zone: no conversions, no daylight-saving gaps.
      m_moment(start.date(), start.time(), Qt::UTC),
      m_row(ColumnCount)
{
    // About six years of entries whatever the count, at least a second and at most three days apart.
    const qint64 span = 6LL * 365 * 24 * 3600;
    m_gapSeconds = std::clamp<qint64>(count > 0 ? span / count : span, 1, 3 * 24 * 3600);
    for (int i = 0; i < 4; ++i)
        random();
}

// splitmix64: small, fast and the same on every platform, unlike the standard distributions.
std::uint64_t DemoCustomerGenerator::random()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int DemoCustomerGenerator::below(int n) { return n <= 1 ? 0 : static_cast<int>(random() % static_cast<std::uint64_t>(n)); }

bool DemoCustomerGenerator::chance(int percent) { return below(100) < percent; }

template <typename T> const T& DemoCustomerGenerator::pickWeighted(const T* items, int n)
{
    int total = 0;
    for (int i = 0; i < n; ++i)
        total += items[i].weight;
    int r = below(total);
    for (int i = 0; i < n; ++i) {
        if (r < items[i].weight)
            return items[i];
        r -= items[i].weight;
    }
    return items[n - 1];
}

QString DemoCustomerGenerator::digits(int n)
{
    QString s(n, QLatin1Char('0'));
    for (int i = 0; i < n; ++i)
        s[i] = QLatin1Char(static_cast<char>('0' + below(10)));
    return s;
}

QString DemoCustomerGenerator::letters(int minLength, int maxLength)
{
    const int n = minLength + below(maxLength - minLength + 1);
    QString s(n, QLatin1Char('a'));
    for (int i = 0; i < n; ++i)
        s[i] = QLatin1Char(static_cast<char>('a' + below(26)));
    return s;
}

QString DemoCustomerGenerator::personName()
{
    QString name = u(kSurnames[below(countOf(kSurnames))]);
    name += u(kGivenChars[below(countOf(kGivenChars))]);
    if (chance(65))
        name += u(kGivenChars[below(countOf(kGivenChars))]);
    return name;
}

// The code packed into 64 bits (base 13 over I, O and the digits), so that a million stored codes
// cost a few megabytes; the letter case is ignored as the database ignores it.
std::uint64_t DemoCustomerGenerator::codeKey(const QString& code)
{
    if (code.isEmpty() || code.size() > 16)
        return 0;
    std::uint64_t key = 0;
    for (const QChar c : code) {
        int v;
        const char16_t ch = c.unicode();
        if (ch == u'I' || ch == u'i')
            v = 1;
        else if (ch == u'O' || ch == u'o')
            v = 2;
        else if (ch >= u'0' && ch <= u'9')
            v = 3 + (ch - u'0');
        else
            return 0;   // another format: no generated code can equal it
        key = key * 13 + static_cast<std::uint64_t>(v);
    }
    return key;
}

void DemoCustomerGenerator::reserveCode(const QString& code)
{
    if (const std::uint64_t key = codeKey(code))
        m_codes.insert(key);
}

// The code of the current moment, the moment stepping on by a millisecond while the code is taken
// (two moments can give one text, as 2009-01-12 and 2009-11-02 do at the same time of day).
QString DemoCustomerGenerator::newCode(const QString& prefix)
{
    for (;;) {
        const QString code = DataModule::formatCustomerCode(prefix, m_moment);
        if (m_codes.insert(codeKey(code)).second)
            return code;
        m_moment = m_moment.addMSecs(1);
    }
}

const std::vector<QString>& DemoCustomerGenerator::next()
{
    for (QString& v : m_row)
        v = QString();

    m_moment = m_moment.addMSecs(1000 * (1 + below(static_cast<int>(2 * m_gapSeconds))) + below(1000));

    const bool internal = chance(60);
    const bool company = chance(70);
    const QString prefix = internal ? QStringLiteral("I") : QStringLiteral("O");
    const CityInfo& city = pickWeighted(kCities, countOf(kCities));
    const QString cityName = u(city.city);

    m_row[Code] = newCode(prefix);
    m_row[Create_Date] = storageText(m_moment);
    m_row[Update_Date] = chance(40) ? storageText(m_moment.addSecs(3600LL * (1 + below(24 * 90))))
                                    : m_row[Create_Date];
    m_row[Self_Data] = internal ? QStringLiteral("Y") : QStringLiteral("N");
    m_row[Data_Type] = company ? u("企业数据") : u("个人数据");
    m_row[RejectData] = chance(3) ? u("是") : u("否");
    m_row[Area] = u(city.area);
    m_row[Province] = u(city.province);
    m_row[Data_Source] = u(pickWeighted(kSources, countOf(kSources)).text);
    const QString level = u(pickWeighted(kLevels, countOf(kLevels)).text);
    if (!level.isEmpty())
        m_row[Customer_Level] = level;
    m_row[Main_LinkMan] = personName();
    m_row[Tel_Area_Code] = u(city.telCode);
    m_row[Tel] = QString(QLatin1Char(static_cast<char>('2' + below(7)))) + digits(7);
    m_row[Post_Code] = u(city.postPrefix) + digits(3);

    QString address = cityName + u("市") + u(kDistricts[below(countOf(kDistricts))])
                      + u(kRoads[below(countOf(kRoads))]) + QString::number(1 + below(999)) + u("号");
    if (chance(40))
        address += QString(QLatin1Char(static_cast<char>('A' + below(6)))) + u("座") + QString::number(1 + below(30))
                   + QStringLiteral("%1").arg(1 + below(20), 2, 10, QLatin1Char('0')) + u("室");
    m_row[Address] = address;

    // A company name: sometimes the city first, then a trade name, the industry and the legal form.
    const Industry& industry = pickWeighted(kIndustries, countOf(kIndustries));
    QString companyName;
    if (chance(70))
        companyName = cityName + (chance(50) ? u("市") : QString());
    const int brands = countOf(kBrandChars);
    companyName += u(kBrandChars[below(brands)]);
    companyName += u(kBrandChars[below(brands)]);
    if (chance(10))
        companyName += u(kBrandChars[below(brands)]);
    companyName += u(industry.word) + u(pickWeighted(kForms, countOf(kForms)).text);

    if (!internal)
        m_row[Trustee] = personName();
    if (chance(8))
        m_row[Remark] = u(pickWeighted(kRemarks, countOf(kRemarks)).text);

    if (company) {
        m_row[Company_Name] = companyName;
        m_row[Position_Name] = u(pickWeighted(kPositions, countOf(kPositions)).text);
        if (chance(60))
            m_row[Fax] = m_row[Tel].left(6) + digits(2);
        const QString domain = letters(4, 9) + u(pickWeighted(kTlds, countOf(kTlds)).text);
        if (chance(75))
            m_row[Email] = u(pickWeighted(kMailBoxes, countOf(kMailBoxes)).text) + QLatin1Char('@') + domain;
        if (chance(55))
            m_row[Http] = QStringLiteral("www.") + domain;
        static const int capitals[] = {10, 30, 50, 100, 200, 300, 500, 800, 1000, 2000, 5000};
        m_row[Register_Bankrol] = QString::number(capitals[below(countOf(capitals))]);
        m_row[Register_Date] = storageText(QDateTime(QDate(1992 + below(32), 1 + below(12), 1 + below(28)), QTime(0, 0), Qt::UTC));
        m_row[Employee_Count] = QString::number(3 + below(chance(80) ? 60 : 2000));
        const QString property = u(pickWeighted(kProperties, countOf(kProperties)).text);
        if (!property.isEmpty())
            m_row[Company_Property] = property;
        m_row[Trade] = u(industry.trade);
        m_row[Main_Trade] = u(industry.mainTrade);
        m_row[YearSaleMoney] = QString::number(50 * (1 + below(400)));
        if (chance(20))
            m_row[Other_LinkMans] = personName() + QStringLiteral(" 13") + digits(9)
                                    + (chance(40) ? QStringLiteral("\n") + personName() + QStringLiteral(" 15") + digits(9)
                                                  : QString());
    } else {
        if (chance(50))
            m_row[Company_Name] = companyName;   // the employer
        const bool male = chance(52);
        m_row[Sex] = male ? u("男") : u("女");
        const QDate born(1955 + below(46), 1 + below(12), 1 + below(28));
        m_row[Born_Date] = storageText(QDateTime(born, QTime(0, 0), Qt::UTC));
        // An identity-card number: region, birth date, sequence (odd for men) and its check character.
        QString id = u(city.postPrefix) + digits(3) + born.toString(QStringLiteral("yyyyMMdd")) + digits(2)
                     + QString::number(2 * below(5) + (male ? 1 : 0));
        static const int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
        int sum = 0;
        for (int i = 0; i < 17; ++i)
            sum += (id[i].unicode() - u'0') * weights[i];
        id += QLatin1Char("10X98765432"[sum % 11]);
        m_row[ID_Card] = id;
        m_row[Job_Desc] = u(pickWeighted(kJobs, countOf(kJobs)).text);
        m_row[Country] = chance(96) ? u("中国") : u("新加坡");
        m_row[City] = cityName;
        if (chance(75))
            m_row[Email] = letters(3, 8) + digits(below(5)) + QLatin1Char('@')
                           + u(pickWeighted(kMailHosts, countOf(kMailHosts)).text);
        if (chance(35)) {
            m_row[Car_Name] = u(pickWeighted(kCars, countOf(kCars)).text);
            static const char plateChars[] = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789";
            QString plate = u(city.plate);
            for (int i = 0; i < 5; ++i)
                plate += QLatin1Char(plateChars[below(static_cast<int>(sizeof plateChars) - 1)]);
            m_row[Car_Code] = plate;
        }
    }
    return m_row;
}

namespace {
template <typename T, size_t N> QStringList textsOf(const T (&items)[N], const char* T::*field)
{
    QStringList out;
    for (const T& item : items) {
        const QString s = QString::fromUtf8(item.*field);
        if (!s.isEmpty() && !out.contains(s))
            out << s;
    }
    return out;
}
} // namespace

QStringList DemoCustomerGenerator::areas() { return textsOf(kCities, &CityInfo::area); }
QStringList DemoCustomerGenerator::dataSources() { return textsOf(kSources, &Weighted::text); }
QStringList DemoCustomerGenerator::trades() { return textsOf(kIndustries, &Industry::trade); }
QStringList DemoCustomerGenerator::positions() { return textsOf(kPositions, &Weighted::text); }
QStringList DemoCustomerGenerator::provinces() { return textsOf(kCities, &CityInfo::province); }
QStringList DemoCustomerGenerator::cities() { return textsOf(kCities, &CityInfo::city); }
