#include "tools/demo/CompanyGenerator.h"

#include "tools/demo/SqlLiteral.h"

#include "text/DateText.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>

namespace tools {

namespace {

QString txt(const QString& value) { return SqlLiteral::text(value); }
QString num(qint64 value) { return SqlLiteral::number(value); }
QString money(qint64 hundredths) { return SqlLiteral::money(hundredths); }
QString bit(bool value) { return SqlLiteral::bit(value); }
QString day(const QDate& value) { return SqlLiteral::date(value); }
QString stamp(const QDateTime& value) { return SqlLiteral::dateTime(value); }
QString null() { return SqlLiteral::null(); }

TableRows table(const QString& name, const QString& columns)
{
    TableRows rows;
    rows.table = name;
    for (const QString& column : columns.split(QLatin1Char(',')))
        rows.columns << column.trimmed();
    return rows;
}

const QStringList firstNames = {
    QStringLiteral("Arun"), QStringLiteral("Meera"), QStringLiteral("Rahul"), QStringLiteral("Anjali"),
    QStringLiteral("Vishnu"), QStringLiteral("Fathima"), QStringLiteral("Joseph"), QStringLiteral("Lakshmi"),
    QStringLiteral("Suresh"), QStringLiteral("Divya"), QStringLiteral("Abdul"), QStringLiteral("Priya"),
    QStringLiteral("Thomas"), QStringLiteral("Nisha"), QStringLiteral("Ramesh"), QStringLiteral("Sneha"),
    QStringLiteral("Anil"), QStringLiteral("Reshma"), QStringLiteral("George"), QStringLiteral("Kavya"),
    QStringLiteral("Manoj"), QStringLiteral("Ayesha"), QStringLiteral("Sanjay"), QStringLiteral("Deepa"),
};
const QStringList lastNames = {
    QStringLiteral("Nair"), QStringLiteral("Menon"), QStringLiteral("Kurian"), QStringLiteral("Pillai"),
    QStringLiteral("Varghese"), QStringLiteral("Rahman"), QStringLiteral("Iyer"), QStringLiteral("D'Souza"),
    QStringLiteral("Mathew"), QStringLiteral("Krishnan"), QStringLiteral("Haneef"), QStringLiteral("Thampi"),
    QStringLiteral("Joseph"), QStringLiteral("Shenoy"), QStringLiteral("Kamath"), QStringLiteral("O'Brien"),
};
const QStringList businessWords = {
    QStringLiteral("Sree Durga"), QStringLiteral("Al Ameen"), QStringLiteral("St. Mary's"), QStringLiteral("Green Valley"),
    QStringLiteral("Sunrise"), QStringLiteral("Malabar"), QStringLiteral("Royal"), QStringLiteral("New India"),
    QStringLiteral("Kairali"), QStringLiteral("Lulu"), QStringLiteral("Pearl"), QStringLiteral("Coastal"),
    QStringLiteral("Highway"), QStringLiteral("City"), QStringLiteral("Metro"), QStringLiteral("Bharath"),
};
const QStringList supplierSuffixes = {
    QStringLiteral("Traders"), QStringLiteral("Distributors"), QStringLiteral("Agencies"),
    QStringLiteral("Enterprises"), QStringLiteral("Wholesale"), QStringLiteral("& Sons"),
};
const QStringList customerSuffixes = {
    QStringLiteral("Stores"), QStringLiteral("Mart"), QStringLiteral("Supermarket"), QStringLiteral("Bakery"),
    QStringLiteral("Hotel"), QStringLiteral("Medicals"),
};
const QStringList areas = {
    QStringLiteral("Kozhikode"), QStringLiteral("Kannur"), QStringLiteral("Thrissur"), QStringLiteral("Palakkad"),
    QStringLiteral("Malappuram"), QStringLiteral("Kochi"), QStringLiteral("Kollam"), QStringLiteral("Kottayam"),
    QStringLiteral("Alappuzha"), QStringLiteral("Wayanad"), QStringLiteral("Kasaragod"), QStringLiteral("Thalassery"),
};
const QStringList brands = {
    QStringLiteral("Sunrise"), QStringLiteral("Kerala Gold"), QStringLiteral("Fresh Farm"), QStringLiteral("Everyday"),
    QStringLiteral("Prime"), QStringLiteral("Tasty"), QStringLiteral("Classic"), QStringLiteral("Nature's Best"),
    QStringLiteral("Royal"), QStringLiteral("Super"),
};

struct CategoryDefinition {
    const char* name;
    const char* code;
    int unitId;
    int taxClassId;
    int minPrice; // rupees
    int maxPrice;
    QStringList nouns;
};

const std::vector<CategoryDefinition>& categories()
{
    static const std::vector<CategoryDefinition> list = {
        {"Groceries", "GRO", 2, 2, 30, 250, {"Basmati Rice", "Toor Dal", "Sugar", "Wheat Flour", "Green Gram", "Rava"}},
        {"Beverages", "BEV", 3, 4, 20, 400, {"Tea Powder", "Coffee", "Mango Drink", "Soda", "Health Drink"}},
        {"Dairy", "DAI", 1, 2, 20, 300, {"Milk", "Curd", "Ghee", "Butter", "Paneer"}},
        {"Bakery", "BAK", 1, 2, 10, 150, {"Bread", "Rusk", "Cake", "Cookies", "Bun"}},
        {"Personal Care", "PER", 1, 4, 25, 450, {"Soap", "Shampoo", "Toothpaste", "Face Wash", "Hair Oil"}},
        {"Household", "HOU", 1, 4, 30, 600, {"Detergent", "Floor Cleaner", "Dish Wash", "Broom", "Mop"}},
        {"Stationery", "STA", 1, 3, 5, 200, {"Notebook", "Ball Pen", "Pencil Box", "File Folder", "Marker"}},
        {"Electronics", "ELE", 1, 4, 150, 2500, {"LED Bulb", "Extension Box", "Torch", "Earphones", "Charger"}},
        {"Kitchenware", "KIT", 1, 4, 80, 1800, {"Pressure Cooker", "Tawa", "Steel Plate", "Water Bottle", "Knife Set"}},
        {"Toys", "TOY", 1, 4, 60, 1200, {"Toy Car", "Puzzle", "Doll", "Building Blocks", "Ball"}},
        {"Garments", "GAR", 1, 2, 150, 1500, {"Cotton Shirt", "Mundu", "Saree", "T-Shirt", "Towel"}},
        {"Footwear", "FOO", 8, 3, 120, 1400, {"Sandals", "Slippers", "School Shoes", "Sports Shoes"}},
        {"Pharmacy", "PHA", 5, 3, 15, 350, {"Paracetamol", "Cough Syrup", "Bandage", "Antiseptic", "Vitamin C"}},
        {"Frozen Foods", "FRO", 5, 3, 60, 500, {"Frozen Peas", "Chicken Nuggets", "Ice Cream", "Parotta"}},
        {"Services", "SER", 1, 4, 100, 1500, {"Installation", "Home Delivery", "Repair Labour", "Gift Wrapping"}},
    };
    return list;
}

const int taxPercentByClass[] = {0, 0, 5, 12, 18, 28, 0};

// Voucher types: the base types carry their own number as parent; the branch and head office
// share them. Parents 1, 3, 12, 18, 44 are sales, 2 and 4 purchases.
struct VchTypeDefinition {
    int id;
    const char* name;
    int parent;
    bool active;
    const char* prefix;
};
const VchTypeDefinition vchTypeDefinitions[] = {
    {1, "Sales", 1, true, "SI"},          {2, "Purchase", 2, true, "PI"},
    {3, "Sales Return", 3, true, "SR"},   {4, "Purchase Return", 4, true, "PR"},
    {5, "Receipt", 5, true, "RC"},        {6, "Payment", 6, true, "PY"},
    {7, "Journal", 7, true, "JV"},        {8, "Contra", 8, true, "CV"},
    {9, "Stock Journal", 9, true, "SJ"},  {10, "Job Card", 10, true, "JC"},
    {11, "Sales Order", 11, true, "SO"},  {12, "Delivery Note", 12, true, "DN"},
    {13, "Purchase Order", 13, true, "PO"}, {14, "Credit Note", 14, true, "CN"},
    {15, "Debit Note", 15, true, "DB"},   {18, "POS Sales", 18, true, "POS"},
    {44, "Sales B2C", 44, true, "B2C"},   {101, "Counter Sales", 1, true, "CS"},
    {102, "Wholesale Sales", 1, true, "WS"}, {103, "Credit Sales", 1, true, "CR"},
    {104, "Old Sales Series", 1, false, "OS"}, {121, "Delivery Challan", 12, true, "DC"},
    {181, "POS Counter 1", 18, true, "P1"}, {182, "POS Counter 2", 18, true, "P2"},
    {201, "Local Purchase", 2, true, "LP"}, {202, "Interstate Purchase", 2, true, "IP"},
    {301, "Counter Sales Return", 3, true, "CSR"}, {401, "Local Purchase Return", 4, true, "LPR"},
    {441, "Online Sales", 44, true, "ON"},
};

// Voucher types of new sales and purchases, with weights.
const QList<QPair<int, int>> salesTypes = {
    {1, 20}, {101, 25}, {102, 8}, {103, 10}, {18, 6}, {181, 9}, {182, 6}, {44, 3}, {441, 5}, {3, 3}, {301, 2}, {12, 1}, {121, 2},
};
const QList<QPair<int, int>> purchaseTypes = {{2, 40}, {201, 35}, {202, 15}, {4, 5}, {401, 5}};

bool isCashSale(int vchTypeId)
{
    return vchTypeId == 1 || vchTypeId == 101 || vchTypeId == 18 || vchTypeId == 181 || vchTypeId == 182 || vchTypeId == 441;
}

constexpr qint64 maxGross = 6000000; // 60,000.00: bills stay within the eight characters the listing reads

} // namespace

CompanyGenerator::CompanyGenerator(const DemoSize& size, const QDate& today, std::uint32_t seed)
    : m_size(size)
    , m_today(today)
    , m_random(seed)
{
    m_size.ledgers = std::max(m_size.ledgers, 12);
    m_size.items = std::max(m_size.items, 15);
    m_size.days = std::max(m_size.days, 1);
    makeMasters();
    makeSales(m_headOffice, m_size.salesVouchers, m_size.days, false);
    makePurchases(m_headOffice, m_size.purchaseVouchers, false);
    makeOtherVouchers();
    makeBranch();
}

TableRows& CompanyGenerator::headTable(const QString& name)
{
    for (TableRows& rows : m_headOffice)
        if (rows.table == name)
            return rows;
    Q_ASSERT_X(false, "CompanyGenerator::headTable", "unknown table");
    return m_headOffice.first();
}

std::vector<int> CompanyGenerator::sortedDayOffsets(int count, int days)
{
    std::vector<int> offsets;
    offsets.reserve(count);
    for (int i = 0; i < count; ++i)
        offsets.push_back(m_random.between(0, days - 1));
    // Oldest first, so keys rise with the date as they do in a real database.
    std::sort(offsets.begin(), offsets.end(), std::greater<int>());
    return offsets;
}

const CompanyGenerator::Item& CompanyGenerator::pickItem(const std::vector<Item>& items)
{
    return items.at(m_random.skewedLow(0, int(items.size()) - 1));
}

int CompanyGenerator::pickVchType(const QList<QPair<int, int>>& weighted)
{
    int total = 0;
    for (const auto& entry : weighted)
        total += entry.second;
    int draw = m_random.between(1, total);
    for (const auto& entry : weighted) {
        draw -= entry.second;
        if (draw <= 0)
            return entry.first;
    }
    return weighted.last().first;
}

QString CompanyGenerator::nextNumber(int vchTypeId)
{
    const int number = ++m_numbers[vchTypeId];
    for (const VchTypeDefinition& definition : vchTypeDefinitions)
        if (definition.id == vchTypeId)
            return QStringLiteral("%1/%2").arg(QLatin1String(definition.prefix)).arg(number);
    return QString::number(number);
}

QString CompanyGenerator::personName()
{
    const QString first = m_random.pick(firstNames);
    const QString last = m_random.pick(lastNames);
    return first + QLatin1Char(' ') + last;
}

QString CompanyGenerator::businessName(const QStringList& suffixes)
{
    const QString word = m_random.pick(businessWords);
    const QString suffix = m_random.pick(suffixes);
    return word + QLatin1Char(' ') + suffix;
}

void CompanyGenerator::makeMasters()
{
    const QDate today = m_today;

    TableRows groups = table(QStringLiteral("tblAccountGroup"), QStringLiteral("AccountGroupID, AccountGroup, ParentGroupID, Nature, SortOrder"));
    const struct {
        int id;
        const char* name;
        int parent;
        const char* nature;
    } groupDefinitions[] = {
        {1, "Capital Account", 0, "Liability"}, {2, "Current Assets", 0, "Asset"},
        {3, "Current Liabilities", 0, "Liability"}, {4, "Sundry Debtors", 2, "Asset"},
        {5, "Sundry Creditors", 3, "Liability"}, {6, "Cash-in-Hand", 2, "Asset"},
        {7, "Bank Accounts", 2, "Asset"}, {8, "Sales Accounts", 0, "Income"},
        {9, "Purchase Accounts", 0, "Expense"}, {10, "Direct Expenses", 0, "Expense"},
        {11, "Indirect Expenses", 0, "Expense"}, {12, "Duties & Taxes", 3, "Liability"},
    };
    for (const auto& g : groupDefinitions)
        groups.add({num(g.id), txt(QLatin1String(g.name)), num(g.parent), txt(QLatin1String(g.nature)), num(g.id)});
    m_headOffice << groups;

    TableRows areaRows = table(QStringLiteral("tblArea"), QStringLiteral("AreaID, Area, AreaCode, ActiveStatus"));
    for (int i = 0; i < areas.size(); ++i)
        areaRows.add({num(i + 1), txt(areas.at(i)), txt(areas.at(i).left(3).toUpper()), bit(true)});
    m_headOffice << areaRows;

    TableRows agents = table(QStringLiteral("tblAgent"), QStringLiteral("AgentID, AgentName, AgentCode, AreaID, Phone, CommissionPer, ActiveStatus"));
    for (int i = 1; i <= 8; ++i)
        agents.add({num(i), txt(personName()),
                    txt(QStringLiteral("AG%1").arg(i, 3, 10, QLatin1Char('0'))), num(m_random.between(1, int(areas.size()))),
                    txt(QStringLiteral("9%1").arg(m_random.between(100000000, 999999999))),
                    money(m_random.between(1, 6) * 50), bit(i != 8)});
    m_headOffice << agents;

    TableRows ledgers = table(QStringLiteral("tblLedger"),
                              QStringLiteral("LID, LName, LAliasName, AccountGroupID, AreaID, AgentID, Address1, Address2, Phone, Mobile, "
                                             "Email, TaxRegNo, OpeningBalance, CreditLimit, CreditDays, ActiveStatus, CreatedDate"));
    const struct {
        const char* name;
        int group;
    } fixedLedgers[] = {
        {"Cash", 6}, {"Sales Account", 8}, {"Purchase Account", 9}, {"State Bank of India", 7},
        {"Output GST", 12}, {"Input GST", 12}, {"Shop Rent", 11}, {"Electricity Charges", 11},
    };
    for (int lid = 1; lid <= m_size.ledgers; ++lid) {
        QString name;
        int group = 0;
        if (lid <= 8) {
            name = QLatin1String(fixedLedgers[lid - 1].name);
            group = fixedLedgers[lid - 1].group;
        } else if (lid % 4 == 1) {
            name = businessName(supplierSuffixes);
            group = 5;
        } else {
            name = m_random.chance(0.5) ? personName() : businessName(customerSuffixes);
            group = 4;
        }
        const bool party = group == 4 || group == 5;
        const int area = m_random.between(1, int(areas.size()));
        ledgers.add({num(lid), txt(name), txt(name.toUpper()), num(group), party ? num(area) : null(),
                     group == 4 && m_random.chance(0.3) ? num(m_random.between(1, 8)) : null(),
                     party ? txt(QStringLiteral("%1, Main Road").arg(m_random.between(1, 400))) : null(),
                     party ? txt(areas.at(area - 1)) : null(),
                     party ? txt(QStringLiteral("0495-%1").arg(m_random.between(2000000, 2999999))) : null(),
                     party ? txt(QStringLiteral("9%1").arg(m_random.between(100000000, 999999999))) : null(),
                     party && m_random.chance(0.4) ? txt(name.section(QLatin1Char(' '), 0, 0).toLower().remove(QLatin1Char('\'')) + QStringLiteral("@example.com")) : null(),
                     group == 5 || (group == 4 && m_random.chance(0.3)) ? txt(QStringLiteral("32AAB%1Z%2").arg(m_random.between(10000, 99999)).arg(m_random.between(1, 9))) : null(),
                     money(party ? m_random.between(0, 500) * 10000 : 0), money(group == 4 ? m_random.between(0, 20) * 500000 : 0),
                     num(group == 4 ? m_random.pick({QStringLiteral("0"), QStringLiteral("15"), QStringLiteral("30")}).toInt() : 0),
                     bit(true), day(today.addDays(-m_random.between(100, 900)))});
        if (group == 4)
            m_customers.push_back({lid, name});
        else if (group == 5)
            m_suppliers.push_back({lid, name});
    }
    m_headOffice << ledgers;

    TableRows categoryRows = table(QStringLiteral("tblCategories"), QStringLiteral("CategoryID, Category, CategoryCode, ParentCategoryID, ActiveStatus"));
    for (int i = 0; i < int(categories().size()); ++i)
        categoryRows.add({num(i + 1), txt(QLatin1String(categories()[i].name)), txt(QLatin1String(categories()[i].code)), num(0), bit(true)});
    m_headOffice << categoryRows;

    TableRows taxClasses = table(QStringLiteral("tblTaxClass"), QStringLiteral("TaxClassID, TaxClass, TaxPer, CessPer, ActiveStatus"));
    const char* taxNames[] = {"GST 0%", "GST 5%", "GST 12%", "GST 18%", "GST 28%", "Exempted"};
    for (int i = 1; i <= 6; ++i)
        taxClasses.add({num(i), txt(QLatin1String(taxNames[i - 1])), money(taxPercentByClass[i] * 100), money(i == 5 ? 100 : 0), bit(true)});
    m_headOffice << taxClasses;

    TableRows units = table(QStringLiteral("tblUnit"), QStringLiteral("UnitID, UnitName, UnitShortName, DecimalPlaces"));
    const char* unitNames[][2] = {{"Numbers", "NOS"}, {"Kilogram", "KG"}, {"Litre", "LTR"}, {"Box", "BOX"},
                                  {"Packet", "PKT"}, {"Metre", "MTR"}, {"Dozen", "DOZ"}, {"Pair", "PR"}};
    for (int i = 1; i <= 8; ++i)
        units.add({num(i), txt(QLatin1String(unitNames[i - 1][0])), txt(QLatin1String(unitNames[i - 1][1])), num(i == 2 || i == 3 || i == 6 ? 3 : 0)});
    m_headOffice << units;

    TableRows items = table(QStringLiteral("tblItemMaster"),
                            QStringLiteral("ItemID, ItemCode, ItemName, BarCode, CategoryID, ProductTypeID, UnitID, TaxClassID, PRate, SRate, MRP, "
                                           "ReorderLevel, HSNCode, ActiveStatus, CreatedDate"));
    const int categoryCount = int(categories().size());
    for (int id = 1; id <= m_size.items; ++id) {
        const int categoryId = id <= categoryCount ? id : m_random.between(1, categoryCount);
        const CategoryDefinition& category = categories()[categoryId - 1];
        int itemClass = 0;
        if (id <= 10)
            itemClass = id - 1; // every item class has at least one item
        else if (categoryId == categoryCount)
            itemClass = m_random.between(5, 8);
        else {
            const int draw = m_random.between(1, 100);
            itemClass = draw <= 85 ? 0 : draw <= 93 ? m_random.between(1, 3) : draw <= 97 ? 4 : 9;
        }
        const qint64 rupees = m_random.skewedLow(category.minPrice, category.maxPrice);
        const qint64 prate = rupees * 100 + m_random.between(0, 3) * 25;
        const qint64 srate = prate * m_random.between(110, 135) / 100;
        const qint64 mrp = (srate * m_random.between(100, 115) / 100 + 99) / 100 * 100;
        const QString brand = m_random.pick(brands);
        const QString noun = m_random.pick(category.nouns);
        const QString pack = m_random.pick({QStringLiteral("Small"), QStringLiteral("Medium"), QStringLiteral("Large"),
                                            QStringLiteral("500g"), QStringLiteral("1kg"), QStringLiteral("Pack of 2")});
        const QString name = brand + QLatin1Char(' ') + noun + QLatin1Char(' ') + pack;
        const int taxClassId = category.taxClassId;
        items.add({num(id), txt(QStringLiteral("IT%1").arg(id, 5, 10, QLatin1Char('0'))), txt(name),
                   txt(QStringLiteral("890%1").arg(m_random.between(100000000, 999999999))), num(categoryId), num(itemClass),
                   num(category.unitId), num(taxClassId), money(prate), money(srate), money(mrp),
                   QStringLiteral("%1.000").arg(m_random.between(0, 50)), txt(QString::number(m_random.between(1000, 9999))),
                   bit(id % 97 != 0), day(today.addDays(-m_random.between(90, 700)))});
        m_items.push_back({id, categoryId, category.unitId, taxPercentByClass[taxClassId], prate, srate, mrp});
    }
    m_headOffice << items;

    TableRows userGroups = table(QStringLiteral("tblUserGroupMaster"), QStringLiteral("ID, GroupName, Accesslevel"));
    const char* groupNames[] = {"Administrators", "Billing", "Store Keepers"};
    for (int i = 1; i <= 3; ++i) {
        QString access;
        for (int right = 0; right < 600; ++right)
            access += (i == 1 || m_random.chance(0.5)) ? QStringLiteral("1;") : QStringLiteral("0;");
        userGroups.add({num(i), txt(QLatin1String(groupNames[i - 1])), txt(access)});
    }
    m_headOffice << userGroups;

    TableRows employees = table(QStringLiteral("tblEmployee"), QStringLiteral("EmpID, EmpName, EmpCode, Designation, Phone, JoinDate, Salary, ActiveStatus"));
    const QStringList designations = {QStringLiteral("Salesman"), QStringLiteral("Cashier"), QStringLiteral("Store Keeper"),
                                      QStringLiteral("Technician"), QStringLiteral("Manager"), QStringLiteral("Accountant")};
    for (int i = 1; i <= 15; ++i)
        employees.add({num(i), txt(personName()),
                       txt(QStringLiteral("E%1").arg(i, 3, 10, QLatin1Char('0'))), txt(m_random.pick(designations)),
                       txt(QStringLiteral("9%1").arg(m_random.between(100000000, 999999999))),
                       day(today.addDays(-m_random.between(60, 3000))), money(m_random.between(12, 45) * 100000), bit(i != 15)});
    m_headOffice << employees;

    TableRows users = table(QStringLiteral("tblUserMaster"), QStringLiteral("UserID, UserName, Password, UserGroupID, EmpID, ActiveStatus"));
    const char* userNames[] = {"admin", "cashier1", "cashier2", "store", "manager", "accounts"};
    const int userGroupOf[] = {1, 2, 2, 3, 1, 2};
    for (int i = 1; i <= 6; ++i)
        users.add({num(i), txt(QLatin1String(userNames[i - 1])), txt(QStringLiteral("pw%1").arg(m_random.between(1000, 9999))),
                   num(userGroupOf[i - 1]), num(i + 1), bit(true)});
    m_headOffice << users;

    TableRows costCentres = table(QStringLiteral("tblCostcentre"), QStringLiteral("CCID, CCName, CCCode, ActiveStatus"));
    const char* ccNames[] = {"Main Store", "Billing Counter", "Online", "Wholesale", "Service Desk"};
    for (int i = 1; i <= 5; ++i)
        costCentres.add({num(i), txt(QLatin1String(ccNames[i - 1])), txt(QStringLiteral("CC%1").arg(i)), bit(true)});
    m_headOffice << costCentres;

    // GodownID is an identity: the server numbers the rows.
    TableRows godowns = table(QStringLiteral("tblGodown"), QStringLiteral("GodownName, GodownCode"));
    const char* godownNames[] = {"Main Godown", "Shop Floor", "Cold Storage", "Damaged Stock"};
    for (int i = 1; i <= 4; ++i)
        godowns.add({txt(QLatin1String(godownNames[i - 1])), txt(QStringLiteral("G%1").arg(i))});
    m_headOffice << godowns;

    TableRows profiles = table(QStringLiteral("tblCustomerProfile"),
                               QStringLiteral("ProfileID, LID, CustomerName, Mobile, Email, Gender, DateOfBirth, Anniversary"));
    TableRows cards = table(QStringLiteral("tblCustomerCard"), QStringLiteral("CardID, CardNo, ProfileID, LID, Points, IssueDate, ExpiryDate, ActiveStatus"));
    const int profileCount = std::min<int>(40, int(m_customers.size()));
    for (int i = 1; i <= profileCount; ++i) {
        const Party& customer = m_customers.at(i - 1);
        profiles.add({num(i), num(customer.lid), txt(customer.name), txt(QStringLiteral("9%1").arg(m_random.between(100000000, 999999999))),
                      null(), txt(m_random.chance(0.5) ? QStringLiteral("M") : QStringLiteral("F")),
                      day(today.addYears(-m_random.between(20, 65)).addDays(-m_random.between(0, 364))),
                      m_random.chance(0.4) ? day(today.addYears(-m_random.between(1, 30)).addDays(-m_random.between(0, 364))) : null()});
        if (i <= 25) {
            const QDate issued = today.addDays(-m_random.between(30, 700));
            cards.add({num(i), txt(QStringLiteral("LC%1").arg(100000 + i)), num(i), num(customer.lid), money(m_random.between(0, 5000) * 100),
                       day(issued), day(issued.addYears(3)), bit(true)});
        }
    }
    m_headOffice << profiles << cards;

    TableRows currencies = table(QStringLiteral("tblCurrency"), QStringLiteral("CurrencyID, CurrencyName, Symbol, DecimalName, IsDefault"));
    currencies.add({num(1), txt(QStringLiteral("Indian Rupee")), txt(QStringLiteral("Rs.")), txt(QStringLiteral("Paise")), bit(true)});
    currencies.add({num(2), txt(QStringLiteral("US Dollar")), txt(QStringLiteral("$")), txt(QStringLiteral("Cents")), bit(false)});
    currencies.add({num(3), txt(QStringLiteral("UAE Dirham")), txt(QStringLiteral("AED")), txt(QStringLiteral("Fils")), bit(false)});
    m_headOffice << currencies;
    TableRows rates = table(QStringLiteral("tblCurrencyDetail"), QStringLiteral("CurrencyDetailID, CurrencyID, EffectiveDate, ExchangeRate"));
    int rateId = 0;
    for (int currency = 1; currency <= 3; ++currency)
        for (int step = 2; step >= 0; --step) {
            const int base = currency == 1 ? 10000 : currency == 2 ? 835000 : 227000;
            const int rate = currency == 1 ? base : base + m_random.between(-3000, 3000);
            rates.add({num(++rateId), num(currency), day(today.addDays(-30 * step - 1)), QStringLiteral("%1.%2").arg(rate / 10000).arg(rate % 10000, 4, 10, QLatin1Char('0'))});
        }
    m_headOffice << rates;

    TableRows attendance = table(QStringLiteral("tblAttendance"), QStringLiteral("AttendanceID, EmpID, AttDate, InTime, OutTime, Status"));
    int attendanceId = 0;
    for (int back = 6; back >= 0; --back) {
        const QDate date = today.addDays(-back);
        for (int emp = 1; emp <= 14; ++emp) {
            const bool present = m_random.chance(0.9);
            attendance.add({num(++attendanceId), num(emp), day(date),
                            present ? stamp(QDateTime(date, QTime(9, m_random.between(0, 30)))) : null(),
                            present ? stamp(QDateTime(date, QTime(18, m_random.between(0, 45)))) : null(),
                            txt(present ? QStringLiteral("P") : QStringLiteral("A"))});
        }
    }
    m_headOffice << attendance;

    TableRows vchTypes = table(QStringLiteral("tblVchType"), QStringLiteral("VchTypeID, VchType, ParentID, ActiveStatus, ShortName, NumberPrefix, SortOrder"));
    int order = 0;
    for (const VchTypeDefinition& definition : vchTypeDefinitions) {
        vchTypes.add({num(definition.id), txt(QLatin1String(definition.name)), num(definition.parent), bit(definition.active), txt(QLatin1String(definition.prefix)),
                      txt(QLatin1String(definition.prefix) + QLatin1Char('/')), num(++order)});
        m_vchTypes.push_back({definition.id, QLatin1String(definition.name), definition.parent, definition.active, QLatin1String(definition.prefix)});
    }
    m_headOffice << vchTypes;

    TableRows appSettings = table(QStringLiteral("tblAppSettings"), QStringLiteral("KeyName, ValueName"));
    const char* settings[][2] = {
        {"COMPANYNAME", "Head Office"}, {"DECIMALPLACES", "2"}, {"DEFAULTTAXMODE", "GST"},
        {"ROUNDOFFBILL", "1"}, {"ENABLEBATCH", "1"}, {"PRINTCOPIES", "2"}, {"CURRENCYSYMBOL", "Rs."},
        {"BARCODEPREFIX", "890"}, {"NEGATIVESTOCK", "0"}, {"BACKUPPATH", "D:\\Backup"},
        {"BILLFOOTER", "Thank you. Visit again!"}, {"DEFAULTCCID", "1"}, {"DEFAULTGODOWNID", "1"},
    };
    for (const auto& setting : settings)
        appSettings.add({txt(QLatin1String(setting[0])), txt(QLatin1String(setting[1]))});
    m_headOffice << appSettings;

    TableRows companySettings = table(QStringLiteral("tblSettings"),
                                      QStringLiteral("SettingsID, CompanyName, Address, TaxRegNo, FinancialYearFrom, FinancialYearTo, CurrencyID, DecimalPlaces"));
    const QDate yearStart(today.month() >= 4 ? today.year() : today.year() - 1, 4, 1);
    companySettings.add({num(1), txt(QStringLiteral("Mirtane Retail - Head Office")), txt(QStringLiteral("12/450, Mavoor Road, Kozhikode")),
                         txt(QStringLiteral("32AABCM1234F1Z5")), day(yearStart), day(yearStart.addYears(1).addDays(-1)), num(1), num(2)});
    m_headOffice << companySettings;

    m_headOffice << table(QStringLiteral("tbluserlog"),
                          QStringLiteral("SystemName, LoginName, DateOf, Action, TimeOF, TypeofAction, OldData, NewData, ReCreateData, refID, "
                                         "ParentVchTypeID, VchTypeID, UserID, WindowName"));
    headTable(QStringLiteral("tbluserlog"))
        .add({txt(QStringLiteral("HO-SERVER")), txt(QStringLiteral("admin")), day(today.addDays(-1)), txt(QStringLiteral("Login")),
              txt(QStringLiteral("09:02:11 AM")), txt(QStringLiteral("Login")), txt(QString()), txt(QString()), txt(QString()), num(0), num(0), num(0), num(1),
              txt(QStringLiteral("frmLogin"))});
}

void CompanyGenerator::makeSales(QList<TableRows>& into, int count, int days, bool branch)
{
    TableRows sales = table(QStringLiteral("tblSales"),
                            QStringLiteral("InvID, InvNo, InvDate, VchTypeID, Party, LID, AgentID, EmpID, CCID, GodownID, TaxType, GrossAmt, "
                                           "DiscountAmt, TaxAmt, RoundOff, BillAmt, CashReceived, Narration, cancelled, SortNumber, UserID, CreatedTime"));
    TableRows lines = table(QStringLiteral("tblSalesItem"),
                            QStringLiteral("InvID, SlNo, ItemID, Qty, UnitID, Prate, rate, MRP, DiscPer, TaxPer, TaxAmt, NetAmount, BatchNo"));
    // The branch knows only the older part of the item list.
    const std::vector<Item> items(m_items.begin(), branch ? m_items.begin() + qsizetype(m_items.size() * 8 / 10) : m_items.end());
    const std::vector<int> offsets = sortedDayOffsets(count, days);
    for (int i = 0; i < count; ++i) {
        const int invId = i + 1;
        const QDate date = m_today.addDays(-offsets[i]);
        const int vchTypeId = pickVchType(salesTypes);
        const bool cash = isCashSale(vchTypeId) && m_random.chance(0.8);
        const Party customer = cash ? Party{1, QStringLiteral("Cash")} : m_customers.at(m_random.between(0, int(m_customers.size()) - 1));
        const bool wholesale = vchTypeId == 102;
        const int lineCount = m_random.between(1, 8);
        qint64 gross = 0, discount = 0, tax = 0;
        for (int slNo = 1; slNo <= lineCount; ++slNo) {
            const Item& item = pickItem(items);
            const qint64 rate = wholesale ? item.srate * 93 / 100 : item.srate;
            int qty = 1 + m_random.skewedLow(0, wholesale ? 11 : 4);
            if (gross + qty * rate > maxGross)
                qty = 1;
            if (slNo > 1 && gross + qty * rate > maxGross)
                break;
            const int discPer = m_random.chance(0.15) ? m_random.pick({QStringLiteral("5"), QStringLiteral("10")}).toInt() : 0;
            const qint64 amount = qty * rate;
            const qint64 lineDiscount = (amount * discPer + 50) / 100;
            const qint64 lineTax = ((amount - lineDiscount) * item.taxPer + 50) / 100;
            gross += amount;
            discount += lineDiscount;
            tax += lineTax;
            lines.add({num(invId), num(slNo), num(item.id), QStringLiteral("%1.000").arg(qty), num(item.unitId), money(item.prate), money(rate),
                       money(item.mrp), money(discPer * 100), money(item.taxPer * 100), money(lineTax), money(amount - lineDiscount + lineTax),
                       item.categoryId == 13 ? txt(QStringLiteral("B%1").arg(m_random.between(1000, 9999))) : null()});
        }
        const qint64 total = gross - discount + tax;
        const qint64 bill = (total + 50) / 100 * 100;
        const bool cancelled = m_random.chance(0.01);
        sales.add({num(invId), txt(nextNumber(vchTypeId)), day(date), num(vchTypeId), txt(customer.name), num(customer.lid),
                   wholesale ? num(m_random.between(1, 8)) : null(), num(m_random.between(1, 6)),
                   num(vchTypeId == 181 || vchTypeId == 182 || vchTypeId == 18 ? 2 : vchTypeId == 441 || vchTypeId == 44 ? 3 : wholesale ? 4 : 1),
                   num(1), txt(QStringLiteral("GST")), money(gross), money(discount), money(tax), money(bill - total), money(bill),
                   money(cash ? bill : 0), m_random.chance(0.1) ? txt(QStringLiteral("Delivered to %1").arg(m_random.pick(areas))) : null(),
                   bit(cancelled), num(m_numbers.value(vchTypeId)), num(m_random.between(1, 3)),
                   stamp(QDateTime(date, QTime(m_random.between(9, 20), m_random.between(0, 59), m_random.between(0, 59))))});
    }
    into << sales << lines;
}

void CompanyGenerator::makePurchases(QList<TableRows>& into, int count, bool branch)
{
    TableRows purchases = table(QStringLiteral("tblPurchase"),
                                QStringLiteral("InvID, InvNo, InvDate, VchTypeID, SupplierInvNo, SupplierInvDate, Party, LID, CCID, GodownID, TaxType, "
                                               "GrossAmt, DiscountAmt, TaxAmt, RoundOff, BillAmt, Narration, cancelled, UserID, CreatedTime"));
    TableRows lines = table(QStringLiteral("tblPurchaseItem"),
                            QStringLiteral("InvID, SlNo, ItemID, Qty, UnitID, Prate, Srate, MRP, DiscPer, TaxPer, TaxAmt, NetAmount, BatchNo, ExpiryDate"));
    const std::vector<Item> items(m_items.begin(), branch ? m_items.begin() + qsizetype(m_items.size() * 8 / 10) : m_items.end());
    const int days = branch ? std::min(m_size.days, 7) : m_size.days;
    const std::vector<int> offsets = sortedDayOffsets(count, days);
    for (int i = 0; i < count; ++i) {
        const int invId = i + 1;
        const QDate date = m_today.addDays(-offsets[i]);
        const int vchTypeId = pickVchType(purchaseTypes);
        const Party& supplier = m_suppliers.at(m_random.between(0, int(m_suppliers.size()) - 1));
        const int lineCount = m_random.between(1, 8);
        qint64 gross = 0, discount = 0, tax = 0;
        for (int slNo = 1; slNo <= lineCount; ++slNo) {
            const Item& item = pickItem(items);
            int qty = 1 + m_random.skewedLow(0, 23);
            if (gross + qty * item.prate > maxGross)
                qty = 1;
            if (slNo > 1 && gross + qty * item.prate > maxGross)
                break;
            const qint64 amount = qty * item.prate;
            const int discPer = m_random.chance(0.2) ? 2 : 0;
            const qint64 lineDiscount = (amount * discPer + 50) / 100;
            const qint64 lineTax = ((amount - lineDiscount) * item.taxPer + 50) / 100;
            gross += amount;
            discount += lineDiscount;
            tax += lineTax;
            const bool batch = item.categoryId == 13 || item.categoryId == 3;
            lines.add({num(invId), num(slNo), num(item.id), QStringLiteral("%1.000").arg(qty), num(item.unitId), money(item.prate), money(item.srate),
                       money(item.mrp), money(discPer * 100), money(item.taxPer * 100), money(lineTax), money(amount - lineDiscount + lineTax),
                       batch ? txt(QStringLiteral("B%1").arg(m_random.between(1000, 9999))) : null(),
                       batch ? day(date.addDays(m_random.between(30, 700))) : null()});
        }
        const qint64 total = gross - discount + tax;
        const qint64 bill = (total + 50) / 100 * 100;
        purchases.add({num(invId), txt(nextNumber(vchTypeId)), day(date), num(vchTypeId), txt(QStringLiteral("INV-%1").arg(m_random.between(1000, 99999))),
                       day(date.addDays(-m_random.between(0, 3))), txt(supplier.name), num(supplier.lid), num(1), num(1),
                       txt(vchTypeId == 202 ? QStringLiteral("CST") : QStringLiteral("GST")), money(gross), money(discount), money(tax),
                       money(bill - total), money(bill), null(), bit(false), num(m_random.between(4, 6)),
                       stamp(QDateTime(date, QTime(m_random.between(10, 18), m_random.between(0, 59), 0)))});
    }
    into << purchases << lines;
}

void CompanyGenerator::makeOtherVouchers()
{
    const int count = std::max(m_size.otherVouchers, 0);

    TableRows notes = table(QStringLiteral("tblNotes"), QStringLiteral("VchID, VchNo, VchDate, VchTypeID, LID, CashLID, Amount, Narration, CCID, cancelled, UserID"));
    const std::vector<int> noteDays = sortedDayOffsets(count * 3, m_size.days);
    for (int i = 0; i < count * 3; ++i) {
        const bool receipt = m_random.chance(0.6);
        const Party& party = receipt ? m_customers.at(m_random.between(0, int(m_customers.size()) - 1))
                                     : m_suppliers.at(m_random.between(0, int(m_suppliers.size()) - 1));
        const int vchTypeId = receipt ? 5 : 6;
        notes.add({num(i + 1), txt(nextNumber(vchTypeId)), day(m_today.addDays(-noteDays[i])), num(vchTypeId), num(party.lid),
                   num(m_random.chance(0.7) ? 1 : 4), money(qint64(m_random.between(5, 800)) * 10000),
                   txt(receipt ? QStringLiteral("Received from %1").arg(party.name) : QStringLiteral("Paid to %1").arg(party.name)), num(1), bit(false), num(6)});
    }
    m_headOffice << notes;

    TableRows orders = table(QStringLiteral("tblOrder"), QStringLiteral("InvID, InvNo, InvDate, VchTypeID, Party, LID, CCID, DeliveryDate, BillAmt, Status, UserID"));
    TableRows orderItems = table(QStringLiteral("tblOrderItem"), QStringLiteral("InvID, SlNo, ItemID, Qty, Rate, MRP, Amount"));
    const std::vector<int> orderDays = sortedDayOffsets(count, m_size.days);
    for (int i = 0; i < count; ++i) {
        const Party& party = m_customers.at(m_random.between(0, int(m_customers.size()) - 1));
        const QDate date = m_today.addDays(-orderDays[i]);
        const int lineCount = m_random.between(1, 4);
        qint64 total = 0;
        for (int slNo = 1; slNo <= lineCount; ++slNo) {
            const Item& item = pickItem(m_items);
            const int qty = m_random.between(1, 10);
            total += qty * item.srate;
            orderItems.add({num(i + 1), num(slNo), num(item.id), QStringLiteral("%1.000").arg(qty), money(item.srate), money(item.mrp), money(qty * item.srate)});
        }
        orders.add({num(i + 1), txt(nextNumber(11)), day(date), num(11), txt(party.name), num(party.lid), num(4), day(date.addDays(m_random.between(1, 7))),
                    money(total), txt(orderDays[i] > 7 ? QStringLiteral("Delivered") : QStringLiteral("Pending")), num(5)});
    }
    m_headOffice << orders << orderItems;

    TableRows journals = table(QStringLiteral("tblStockJournal"),
                               QStringLiteral("InvID, VchID, InvNo, InvDate, VchTypeID, CCID, FromGodownID, ToGodownID, Narration, UserID"));
    TableRows journalLines = table(QStringLiteral("tblStockJournalDetail"), QStringLiteral("InvID, SlNo, ItemID, Qty, Rate, Amount, GodownID, InOut"));
    const std::vector<int> journalDays = sortedDayOffsets(count, m_size.days);
    for (int i = 0; i < count; ++i) {
        const int lineCount = m_random.between(1, 3);
        for (int slNo = 1; slNo <= lineCount; ++slNo) {
            const Item& item = pickItem(m_items);
            const int qty = m_random.between(1, 20);
            journalLines.add({num(i + 1), num(2 * slNo - 1), num(item.id), QStringLiteral("%1.000").arg(qty), money(item.prate), money(qty * item.prate),
                              num(1), txt(QStringLiteral("O"))});
            journalLines.add({num(i + 1), num(2 * slNo), num(item.id), QStringLiteral("%1.000").arg(qty), money(item.prate), money(qty * item.prate),
                              num(2), txt(QStringLiteral("I"))});
        }
        journals.add({num(i + 1), num(i + 1), txt(nextNumber(9)), day(m_today.addDays(-journalDays[i])), num(9), num(1), num(1), num(2),
                      txt(QStringLiteral("Shop floor refill")), num(4)});
    }
    m_headOffice << journals << journalLines;

    TableRows jobCards = table(QStringLiteral("tblJobCard"),
                               QStringLiteral("JobCardID, JobCardNo, JobCardDate, VchTypeID, Party, LID, EmpID, CCID, Status, EstimatedAmt, DeliveryDate, Narration, UserID"));
    TableRows jobLines = table(QStringLiteral("tblJobCardDetail"), QStringLiteral("JobCardID, SlNo, ItemID, Qty, Rate, Amount, Remarks"));
    const std::vector<int> jobDays = sortedDayOffsets(count, m_size.days);
    for (int i = 0; i < count; ++i) {
        const Party& party = m_customers.at(m_random.between(0, int(m_customers.size()) - 1));
        const QDate date = m_today.addDays(-jobDays[i]);
        const int lineCount = m_random.between(1, 3);
        qint64 total = 0;
        for (int slNo = 1; slNo <= lineCount; ++slNo) {
            const Item& item = pickItem(m_items);
            total += item.srate;
            jobLines.add({num(i + 1), num(slNo), num(item.id), QStringLiteral("1.000"), money(item.srate), money(item.srate),
                          txt(m_random.pick({QStringLiteral("Replace"), QStringLiteral("Check"), QStringLiteral("Clean and service")}))});
        }
        jobCards.add({num(i + 1), txt(nextNumber(10)), day(date), num(10), txt(party.name), num(party.lid), num(m_random.between(1, 15)), num(5),
                      txt(jobDays[i] > 3 ? QStringLiteral("Closed") : QStringLiteral("Open")), money(total), day(date.addDays(2)),
                      txt(QStringLiteral("Customer complaint: not working")), num(1)});
    }
    m_headOffice << jobCards << jobLines;
}

void CompanyGenerator::makeBranch()
{
    // The branch last took the masters some time ago: it has fewer rows, and some prices are older.
    const auto copyOf = [this](const QString& name, qsizetype keep) {
        TableRows rows = headTable(name);
        if (keep < rows.rows.size())
            rows.rows = rows.rows.mid(0, keep);
        return rows;
    };
    const auto share = [this](const QString& name, int percent) {
        return std::max<qsizetype>(1, headTable(name).rows.size() * percent / 100);
    };

    m_branch << copyOf(QStringLiteral("tblAccountGroup"), share(QStringLiteral("tblAccountGroup"), 100));
    m_branch << copyOf(QStringLiteral("tblArea"), share(QStringLiteral("tblArea"), 90));
    m_branch << copyOf(QStringLiteral("tblAgent"), share(QStringLiteral("tblAgent"), 50));
    TableRows ledgers = copyOf(QStringLiteral("tblLedger"), share(QStringLiteral("tblLedger"), 70));
    // A ledger made at the branch; the master synchronisation is meant to drop it.
    QStringList walkIn = ledgers.rows.at(0);
    walkIn[0] = num(9001);
    walkIn[1] = txt(QStringLiteral("Branch Walk-in Customer"));
    walkIn[2] = txt(QStringLiteral("BRANCH WALK-IN CUSTOMER"));
    walkIn[3] = num(4);
    ledgers.add(walkIn);
    m_branch << ledgers;
    m_branch << copyOf(QStringLiteral("tblCategories"), headTable(QStringLiteral("tblCategories")).rows.size() - 2);
    m_branch << copyOf(QStringLiteral("tblTaxClass"), share(QStringLiteral("tblTaxClass"), 100));
    m_branch << copyOf(QStringLiteral("tblUnit"), share(QStringLiteral("tblUnit"), 100));
    TableRows items = copyOf(QStringLiteral("tblItemMaster"), qsizetype(m_items.size() * 8 / 10));
    const int srateColumn = int(items.columns.indexOf(QStringLiteral("SRate")));
    const int mrpColumn = int(items.columns.indexOf(QStringLiteral("MRP")));
    for (qsizetype i = 0; i < items.rows.size(); i += 7) {
        const Item& item = m_items.at(i);
        items.rows[i][srateColumn] = money(item.srate * 95 / 100);
        items.rows[i][mrpColumn] = money(item.mrp * 95 / 100);
    }
    m_branch << items;
    m_branch << copyOf(QStringLiteral("tblUserGroupMaster"), share(QStringLiteral("tblUserGroupMaster"), 100));
    m_branch << copyOf(QStringLiteral("tblEmployee"), 10);
    m_branch << copyOf(QStringLiteral("tblUserMaster"), 3);
    m_branch << copyOf(QStringLiteral("tblCostcentre"), share(QStringLiteral("tblCostcentre"), 100));
    m_branch << copyOf(QStringLiteral("tblGodown"), 2);
    m_branch << copyOf(QStringLiteral("tblCustomerProfile"), share(QStringLiteral("tblCustomerProfile"), 50));
    m_branch << copyOf(QStringLiteral("tblCurrency"), share(QStringLiteral("tblCurrency"), 100));
    m_branch << copyOf(QStringLiteral("tblCurrencyDetail"), 3);
    m_branch << headTable(QStringLiteral("tblVchType"));

    TableRows appSettings = copyOf(QStringLiteral("tblAppSettings"), 8);
    appSettings.rows[0][1] = txt(QStringLiteral("Branch Store"));
    m_branch << appSettings;
    TableRows companySettings = headTable(QStringLiteral("tblSettings"));
    companySettings.rows[0][1] = txt(QStringLiteral("Mirtane Retail - Branch Store"));
    companySettings.rows[0][2] = txt(QStringLiteral("Bus Stand Road, Thalassery"));
    m_branch << companySettings;

    m_numbers.clear();
    makeSales(m_branch, std::max(m_size.branchVouchers, 0), std::min(m_size.days, 7), true);
    makePurchases(m_branch, std::max(m_size.branchVouchers / 4, 1), true);
}

QStringList CompanyGenerator::recentChanges() const
{
    const int newLedger = m_size.ledgers + 1;
    return {
        QStringLiteral("UPDATE tblItemMaster SET SRate = SRate + 1, MRP = MRP + 1 WHERE ItemID IN (1, 2, 3)"),
        QStringLiteral("INSERT INTO tblLedger (LID, LName, LAliasName, AccountGroupID, AreaID, OpeningBalance, CreditLimit, CreditDays, "
                       "ActiveStatus, CreatedDate) VALUES (%1, 'Fresh Start Stores', 'FRESH START STORES', 4, 1, 0, 0, 30, 1, '%2')")
            .arg(newLedger)
            .arg(text::DateText::sqlDate(m_today)),
        QStringLiteral("UPDATE tblCategories SET Category = 'Groceries & Staples' WHERE CategoryID = 1"),
    };
}

} // namespace tools
