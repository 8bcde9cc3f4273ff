-- One company database of the ERP: masters, settings, logs and transactions.
-- Batches are separated by lines holding only GO, so sqlcmd can run this file on SQL Server too.
-- SyncStat and ServInvID of tblSales and tblPurchase are not here: the program's
-- "Update Database" adds them (Alter table TblSales Add SyncStat Numeric, ...).

-- Masters ---------------------------------------------------------------------------------

CREATE TABLE tblAccountGroup (
    AccountGroupID int NOT NULL PRIMARY KEY,
    AccountGroup varchar(100) NOT NULL,
    ParentGroupID int NULL,
    Nature varchar(20) NULL,
    SortOrder int NULL
)
GO
CREATE TABLE tblArea (
    AreaID int NOT NULL PRIMARY KEY,
    Area varchar(100) NOT NULL,
    AreaCode varchar(20) NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblAgent (
    AgentID int NOT NULL PRIMARY KEY,
    AgentName varchar(100) NOT NULL,
    AgentCode varchar(20) NULL,
    AreaID int NULL,
    Phone varchar(30) NULL,
    CommissionPer numeric(9,2) NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblLedger (
    LID int NOT NULL PRIMARY KEY,
    LName varchar(100) NOT NULL,
    LAliasName varchar(100) NULL,
    AccountGroupID int NULL,
    AreaID int NULL,
    AgentID int NULL,
    Address1 varchar(200) NULL,
    Address2 varchar(200) NULL,
    Phone varchar(30) NULL,
    Mobile varchar(30) NULL,
    Email varchar(100) NULL,
    TaxRegNo varchar(30) NULL,
    OpeningBalance numeric(18,2) NULL,
    CreditLimit numeric(18,2) NULL,
    CreditDays int NULL,
    ActiveStatus bit NULL,
    CreatedDate datetime NULL
)
GO
CREATE INDEX IX_tblLedger_AccountGroupID ON tblLedger (AccountGroupID)
GO
CREATE INDEX IX_tblLedger_AreaID ON tblLedger (AreaID)
GO
CREATE TABLE tblCategories (
    CategoryID int NOT NULL PRIMARY KEY,
    Category varchar(100) NOT NULL,
    CategoryCode varchar(20) NULL,
    ParentCategoryID int NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblTaxClass (
    TaxClassID int NOT NULL PRIMARY KEY,
    TaxClass varchar(50) NOT NULL,
    TaxPer numeric(9,2) NULL,
    CessPer numeric(9,2) NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblUnit (
    UnitID int NOT NULL PRIMARY KEY,
    UnitName varchar(50) NOT NULL,
    UnitShortName varchar(10) NULL,
    DecimalPlaces tinyint NULL
)
GO
-- ProductTypeID is the item class: 0 STOCK ITEM ... 9 RETURNABLE PACKING MATERIAL.
CREATE TABLE tblItemMaster (
    ItemID int NOT NULL PRIMARY KEY,
    ItemCode varchar(50) NULL,
    ItemName varchar(200) NOT NULL,
    BarCode varchar(50) NULL,
    CategoryID int NULL,
    ProductTypeID int NULL,
    UnitID int NULL,
    TaxClassID int NULL,
    PRate numeric(18,2) NULL,
    SRate numeric(18,2) NULL,
    MRP numeric(18,2) NULL,
    ReorderLevel numeric(18,3) NULL,
    HSNCode varchar(20) NULL,
    ActiveStatus bit NULL,
    CreatedDate datetime NULL
)
GO
CREATE INDEX IX_tblItemMaster_CategoryID ON tblItemMaster (CategoryID)
GO
CREATE INDEX IX_tblItemMaster_ProductTypeID ON tblItemMaster (ProductTypeID)
GO
CREATE INDEX IX_tblItemMaster_ItemCode ON tblItemMaster (ItemCode)
GO
CREATE TABLE tblUserGroupMaster (
    ID int NOT NULL PRIMARY KEY,
    GroupName varchar(100) NOT NULL,
    Accesslevel varchar(2000) NULL
)
GO
CREATE TABLE tblUserMaster (
    UserID int NOT NULL PRIMARY KEY,
    UserName varchar(50) NOT NULL,
    Password varchar(100) NULL,
    UserGroupID int NULL,
    EmpID int NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblEmployee (
    EmpID int NOT NULL PRIMARY KEY,
    EmpName varchar(100) NOT NULL,
    EmpCode varchar(20) NULL,
    Designation varchar(50) NULL,
    Phone varchar(30) NULL,
    JoinDate datetime NULL,
    Salary numeric(18,2) NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblCostcentre (
    CCID int NOT NULL PRIMARY KEY,
    CCName varchar(100) NOT NULL,
    CCCode varchar(20) NULL,
    ActiveStatus bit NULL
)
GO
-- The master copy sends only GodownName and GodownCode; the key is drawn here.
CREATE TABLE tblGodown (
    GodownID int IDENTITY(1,1) PRIMARY KEY,
    GodownName varchar(100) NULL,
    GodownCode varchar(20) NULL
)
GO
CREATE TABLE tblCustomerProfile (
    ProfileID int NOT NULL PRIMARY KEY,
    LID int NULL,
    CustomerName varchar(100) NOT NULL,
    Mobile varchar(30) NULL,
    Email varchar(100) NULL,
    Gender char(1) NULL,
    DateOfBirth datetime NULL,
    Anniversary datetime NULL
)
GO
CREATE TABLE tblCustomerCard (
    CardID int NOT NULL PRIMARY KEY,
    CardNo varchar(30) NOT NULL,
    ProfileID int NULL,
    LID int NULL,
    Points numeric(18,2) NULL,
    IssueDate datetime NULL,
    ExpiryDate datetime NULL,
    ActiveStatus bit NULL
)
GO
CREATE TABLE tblCurrency (
    CurrencyID int NOT NULL PRIMARY KEY,
    CurrencyName varchar(50) NOT NULL,
    Symbol nvarchar(5) NULL,
    DecimalName varchar(30) NULL,
    IsDefault bit NULL
)
GO
CREATE TABLE tblCurrencyDetail (
    CurrencyDetailID int NOT NULL PRIMARY KEY,
    CurrencyID int NOT NULL,
    EffectiveDate datetime NULL,
    ExchangeRate numeric(18,4) NULL
)
GO
CREATE INDEX IX_tblCurrencyDetail_CurrencyID ON tblCurrencyDetail (CurrencyID)
GO
CREATE TABLE tblAttendance (
    AttendanceID int NOT NULL PRIMARY KEY,
    EmpID int NOT NULL,
    AttDate datetime NOT NULL,
    InTime datetime NULL,
    OutTime datetime NULL,
    Status varchar(10) NULL
)
GO
CREATE INDEX IX_tblAttendance_EmpID ON tblAttendance (EmpID, AttDate)
GO

-- Voucher types and settings -------------------------------------------------------------

-- ParentID is the voucher family: 1, 3, 12, 18, 44 sales; 2, 4 purchase.
CREATE TABLE tblVchType (
    VchTypeID int NOT NULL PRIMARY KEY,
    VchType varchar(100) NOT NULL,
    ParentID int NULL,
    ActiveStatus bit NULL,
    ShortName varchar(10) NULL,
    NumberPrefix varchar(10) NULL,
    SortOrder int NULL
)
GO
CREATE INDEX IX_tblVchType_ParentID ON tblVchType (ParentID)
GO
CREATE TABLE tblAppSettings (
    KeyName varchar(100) NOT NULL PRIMARY KEY,
    ValueName varchar(500) NULL
)
GO
CREATE TABLE tblSettings (
    SettingsID int NOT NULL PRIMARY KEY,
    CompanyName varchar(100) NULL,
    Address varchar(200) NULL,
    TaxRegNo varchar(30) NULL,
    FinancialYearFrom datetime NULL,
    FinancialYearTo datetime NULL,
    CurrencyID int NULL,
    DecimalPlaces tinyint NULL
)
GO

-- Logs -----------------------------------------------------------------------------------

CREATE TABLE tbluserlog (
    UserLogID int IDENTITY(1,1) PRIMARY KEY,
    SystemName varchar(100) NULL,
    LoginName varchar(100) NULL,
    DateOf datetime NULL,
    Action varchar(100) NULL,
    TimeOF varchar(50) NULL,
    TypeofAction varchar(50) NULL,
    OldData varchar(500) NULL,
    NewData varchar(500) NULL,
    ReCreateData text NULL,
    refID int NULL,
    ParentVchTypeID smallint NULL,
    VchTypeID smallint NULL,
    UserID smallint NULL,
    WindowName varchar(100) NULL
)
GO
CREATE INDEX IX_tbluserlog_DateOf ON tbluserlog (DateOf)
GO
-- Written by the change-capture triggers of the main company. ID is max(ID)+1, not an
-- identity and not unique: two writers at the same moment can draw the same number.
CREATE TABLE tblActivity (
    ID int NOT NULL,
    TableName varchar(100) NULL,
    tblUniqueID int NULL,
    Action varchar(20) NULL,
    Active int NULL,
    DateofAction datetime NULL,
    ParentId int NULL,
    VchTypeid int NULL,
    ActionTime char(50) NULL,
    tblUniqueRefID numeric(18,0) NULL
)
GO
CREATE INDEX IX_tblActivity_ID ON tblActivity (ID)
GO
CREATE INDEX IX_tblActivity_DateofAction ON tblActivity (DateofAction)
GO

-- Transactions ---------------------------------------------------------------------------

CREATE TABLE tblSales (
    InvID int NOT NULL PRIMARY KEY,
    InvNo varchar(30) NOT NULL,
    InvDate datetime NOT NULL,
    VchTypeID int NOT NULL,
    Party varchar(100) NULL,
    LID int NULL,
    AgentID int NULL,
    EmpID int NULL,
    CCID int NULL,
    GodownID int NULL,
    TaxType varchar(20) NULL,
    GrossAmt numeric(18,2) NULL,
    DiscountAmt numeric(18,2) NULL,
    TaxAmt numeric(18,2) NULL,
    RoundOff numeric(18,2) NULL,
    BillAmt numeric(18,2) NULL,
    CashReceived numeric(18,2) NULL,
    Narration varchar(500) NULL,
    cancelled bit NULL,
    SortNumber int NULL,
    UserID int NULL,
    CreatedTime datetime NULL
)
GO
CREATE INDEX IX_tblSales_InvDate ON tblSales (InvDate)
GO
CREATE INDEX IX_tblSales_VchTypeID ON tblSales (VchTypeID, InvDate)
GO
CREATE INDEX IX_tblSales_LID ON tblSales (LID)
GO
-- The day's numbers per voucher type, which the reconciliation compares with the other side.
CREATE INDEX IX_tblSales_InvDate_VchTypeID_InvNo ON tblSales (InvDate, VchTypeID, InvNo)
GO
CREATE TABLE tblSalesItem (
    InvID int NOT NULL,
    SlNo int NOT NULL,
    ItemID int NOT NULL,
    Qty numeric(18,3) NULL,
    UnitID int NULL,
    Prate numeric(18,2) NULL,
    rate numeric(18,2) NULL,
    MRP numeric(18,2) NULL,
    DiscPer numeric(9,2) NULL,
    TaxPer numeric(9,2) NULL,
    TaxAmt numeric(18,2) NULL,
    NetAmount numeric(18,2) NULL,
    BatchNo varchar(30) NULL,
    PRIMARY KEY (InvID, SlNo)
)
GO
CREATE INDEX IX_tblSalesItem_ItemID ON tblSalesItem (ItemID)
GO
CREATE TABLE tblPurchase (
    InvID int NOT NULL PRIMARY KEY,
    InvNo varchar(30) NOT NULL,
    InvDate datetime NOT NULL,
    VchTypeID int NOT NULL,
    SupplierInvNo varchar(30) NULL,
    SupplierInvDate datetime NULL,
    Party varchar(100) NULL,
    LID int NULL,
    CCID int NULL,
    GodownID int NULL,
    TaxType varchar(20) NULL,
    GrossAmt numeric(18,2) NULL,
    DiscountAmt numeric(18,2) NULL,
    TaxAmt numeric(18,2) NULL,
    RoundOff numeric(18,2) NULL,
    BillAmt numeric(18,2) NULL,
    Narration varchar(500) NULL,
    cancelled bit NULL,
    UserID int NULL,
    CreatedTime datetime NULL
)
GO
CREATE INDEX IX_tblPurchase_InvDate ON tblPurchase (InvDate)
GO
CREATE INDEX IX_tblPurchase_VchTypeID ON tblPurchase (VchTypeID, InvDate)
GO
CREATE INDEX IX_tblPurchase_LID ON tblPurchase (LID)
GO
CREATE TABLE tblPurchaseItem (
    InvID int NOT NULL,
    SlNo int NOT NULL,
    ItemID int NOT NULL,
    Qty numeric(18,3) NULL,
    UnitID int NULL,
    Prate numeric(18,2) NULL,
    Srate numeric(18,2) NULL,
    MRP numeric(18,2) NULL,
    DiscPer numeric(9,2) NULL,
    TaxPer numeric(9,2) NULL,
    TaxAmt numeric(18,2) NULL,
    NetAmount numeric(18,2) NULL,
    BatchNo varchar(30) NULL,
    ExpiryDate datetime NULL,
    PRIMARY KEY (InvID, SlNo)
)
GO
CREATE INDEX IX_tblPurchaseItem_ItemID ON tblPurchaseItem (ItemID)
GO
-- Receipts, payments and other account vouchers.
CREATE TABLE tblNotes (
    VchID int NOT NULL PRIMARY KEY,
    VchNo varchar(30) NOT NULL,
    VchDate datetime NOT NULL,
    VchTypeID int NOT NULL,
    LID int NULL,
    CashLID int NULL,
    Amount numeric(18,2) NULL,
    Narration varchar(500) NULL,
    CCID int NULL,
    cancelled bit NULL,
    UserID int NULL,
    SyncStat numeric(18,0) NULL,
    ServInvID numeric(18,0) NULL
)
GO
CREATE INDEX IX_tblNotes_VchDate ON tblNotes (VchDate)
GO
CREATE INDEX IX_tblNotes_VchTypeID ON tblNotes (VchTypeID)
GO
CREATE INDEX IX_tblNotes_VchDate_VchTypeID_VchNo ON tblNotes (VchDate, VchTypeID, VchNo)
GO
CREATE TABLE tblOrder (
    InvID int NOT NULL PRIMARY KEY,
    InvNo varchar(30) NOT NULL,
    InvDate datetime NOT NULL,
    VchTypeID int NOT NULL,
    Party varchar(100) NULL,
    LID int NULL,
    CCID int NULL,
    DeliveryDate datetime NULL,
    BillAmt numeric(18,2) NULL,
    Status varchar(20) NULL,
    UserID int NULL,
    SyncStat numeric(18,0) NULL,
    ServInvID numeric(18,0) NULL
)
GO
CREATE INDEX IX_tblOrder_InvDate ON tblOrder (InvDate)
GO
CREATE INDEX IX_tblOrder_VchTypeID ON tblOrder (VchTypeID)
GO
CREATE INDEX IX_tblOrder_InvDate_VchTypeID_InvNo ON tblOrder (InvDate, VchTypeID, InvNo)
GO
CREATE TABLE tblOrderItem (
    InvID int NOT NULL,
    SlNo int NOT NULL,
    ItemID int NOT NULL,
    Qty numeric(18,3) NULL,
    Rate numeric(18,2) NULL,
    MRP numeric(18,2) NULL,
    Amount numeric(18,2) NULL,
    PRIMARY KEY (InvID, SlNo)
)
GO
CREATE INDEX IX_tblOrderItem_ItemID ON tblOrderItem (ItemID)
GO
CREATE TABLE tblStockJournal (
    InvID int NOT NULL PRIMARY KEY,
    VchID int NULL,
    InvNo varchar(30) NOT NULL,
    InvDate datetime NOT NULL,
    VchTypeID int NOT NULL,
    CCID int NULL,
    FromGodownID int NULL,
    ToGodownID int NULL,
    Narration varchar(500) NULL,
    UserID int NULL,
    SyncStat numeric(18,0) NULL,
    ServInvID numeric(18,0) NULL
)
GO
CREATE INDEX IX_tblStockJournal_InvDate ON tblStockJournal (InvDate)
GO
CREATE INDEX IX_tblStockJournal_VchTypeID ON tblStockJournal (VchTypeID)
GO
CREATE INDEX IX_tblStockJournal_InvDate_VchTypeID_InvNo ON tblStockJournal (InvDate, VchTypeID, InvNo)
GO
CREATE TABLE tblStockJournalDetail (
    InvID int NOT NULL,
    SlNo int NOT NULL,
    ItemID int NOT NULL,
    Qty numeric(18,3) NULL,
    Rate numeric(18,2) NULL,
    Amount numeric(18,2) NULL,
    GodownID int NULL,
    InOut char(1) NULL,
    PRIMARY KEY (InvID, SlNo)
)
GO
CREATE INDEX IX_tblStockJournalDetail_ItemID ON tblStockJournalDetail (ItemID)
GO
CREATE TABLE tblJobCard (
    JobCardID int NOT NULL PRIMARY KEY,
    JobCardNo varchar(30) NOT NULL,
    JobCardDate datetime NOT NULL,
    VchTypeID int NOT NULL,
    Party varchar(100) NULL,
    LID int NULL,
    EmpID int NULL,
    CCID int NULL,
    Status varchar(20) NULL,
    EstimatedAmt numeric(18,2) NULL,
    DeliveryDate datetime NULL,
    Narration varchar(500) NULL,
    UserID int NULL,
    SyncStat numeric(18,0) NULL,
    ServInvID numeric(18,0) NULL
)
GO
CREATE INDEX IX_tblJobCard_JobCardDate ON tblJobCard (JobCardDate)
GO
CREATE INDEX IX_tblJobCard_VchTypeID ON tblJobCard (VchTypeID)
GO
CREATE INDEX IX_tblJobCard_JobCardDate_VchTypeID_JobCardNo ON tblJobCard (JobCardDate, VchTypeID, JobCardNo)
GO
CREATE TABLE tblJobCardDetail (
    JobCardID int NOT NULL,
    SlNo int NOT NULL,
    ItemID int NOT NULL,
    Qty numeric(18,3) NULL,
    Rate numeric(18,2) NULL,
    Amount numeric(18,2) NULL,
    Remarks varchar(200) NULL,
    PRIMARY KEY (JobCardID, SlNo)
)
GO
CREATE INDEX IX_tblJobCardDetail_ItemID ON tblJobCardDetail (ItemID)
GO
