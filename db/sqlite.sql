-- Orvane database for the embedded engine (SQLite).
-- Text compares without regard to letter case (COLLATE NOCASE); booleans are BIT columns holding
-- 0/1; date-times are DATETIME columns holding 'YYYY-MM-DD hh:mm:ss[.zzz]' text.
-- orvane-db sets journal_mode=WAL before it runs this script (the mode cannot change inside the
-- transaction the script runs in).

-- Users, their personal data and their nine rights. UserCode is the login and the key.
CREATE TABLE Pub_User (
  UserCode          VARCHAR(8)    COLLATE NOCASE NOT NULL PRIMARY KEY,
  UserName          VARCHAR(16)   COLLATE NOCASE,
  DutyName          VARCHAR(20)   COLLATE NOCASE,
  Email             VARCHAR(40)   COLLATE NOCASE,
  Fax               VARCHAR(30)   COLLATE NOCASE,
  Tel               VARCHAR(20)   COLLATE NOCASE,
  MobileNo          VARCHAR(20)   COLLATE NOCASE,
  UserPassWord      VARCHAR(10)   COLLATE NOCASE,
  Sex               VARCHAR(2)    COLLATE NOCASE,
  HireDate          DATETIME,
  JG                VARCHAR(10)   COLLATE NOCASE,
  XL                VARCHAR(10)   COLLATE NOCASE,
  School            VARCHAR(40)   COLLATE NOCASE,
  SFNo              VARCHAR(30)   COLLATE NOCASE,
  LiveAddress       VARCHAR(60)   COLLATE NOCASE,
  SFAddress         VARCHAR(60)   COLLATE NOCASE,
  JobProfile        VARCHAR(2000) COLLATE NOCASE,
  New               BIT,
  Edit              BIT,
  Del               BIT,
  Query             BIT,
  Export            BIT,
  Import            BIT,
  Print             BIT,
  Edit_OutData      BIT,
  Action_Log        BIT,
  EngUserName       VARCHAR(20)   COLLATE NOCASE,
  FjPath            VARCHAR(100)  COLLATE NOCASE,
  ModifyDate        DATETIME,
  AllowUsed         BIT,
  LoginIP           VARCHAR(14)   COLLATE NOCASE,
  Age               INTEGER,
  Photo             BLOB,
  UseAccount        VARCHAR(20)   COLLATE NOCASE,
  RolePriv          INTEGER,
  CustPriv          BIT,
  BasePriv          BIT,
  Priv              INTEGER,
  ImagePath         VARCHAR(100)  COLLATE NOCASE,
  CustExport        BIT,
  CustPrint         BIT,
  LXJLExport        BIT,
  BackRestoreDBBase BIT,
  ExportToEmail     BIT,
  NeedAudit         BIT,
  AuditCode         VARCHAR(8)    COLLATE NOCASE,
  AuditName         VARCHAR(16)   COLLATE NOCASE
);

-- Customer records of both scopes (Self_Data Y internal, N entrusted) and both data types.
CREATE TABLE Customer (
  ID                  INTEGER PRIMARY KEY AUTOINCREMENT,
  Code                TEXT COLLATE NOCASE,
  Self_Data           TEXT COLLATE NOCASE,
  Data_Type           TEXT COLLATE NOCASE,
  Company_Name        TEXT COLLATE NOCASE,
  Main_LinkMan        TEXT COLLATE NOCASE,
  Position_Name       TEXT COLLATE NOCASE,
  Tel_Area_Code       TEXT COLLATE NOCASE,
  Tel                 TEXT COLLATE NOCASE,
  Fax                 TEXT COLLATE NOCASE,
  Post_Code           TEXT COLLATE NOCASE,
  Address             TEXT COLLATE NOCASE,
  Email               TEXT COLLATE NOCASE,
  Http                TEXT COLLATE NOCASE,
  Register_Bankrol    NUMERIC,
  Register_Date       DATETIME,
  Employee_Count      TEXT,
  Data_Source         TEXT COLLATE NOCASE,
  Area                TEXT COLLATE NOCASE,
  Province            TEXT COLLATE NOCASE,
  Company_Property    TEXT COLLATE NOCASE,
  Customer_Level      TEXT COLLATE NOCASE,
  Update_Date         DATETIME,
  Create_Date         DATETIME,
  Trade               TEXT COLLATE NOCASE,
  YearSaleMoney       TEXT,
  Enterprise_Property TEXT COLLATE NOCASE,
  Other_LinkMans      TEXT COLLATE NOCASE,
  Main_Trade          TEXT COLLATE NOCASE,
  Remark              TEXT COLLATE NOCASE,
  Trustee             TEXT COLLATE NOCASE,
  RejectData          TEXT COLLATE NOCASE,
  ID_Card             TEXT COLLATE NOCASE,
  Job_Desc            TEXT COLLATE NOCASE,
  In_Come             TEXT,
  Sex                 TEXT COLLATE NOCASE,
  Born_Date           DATETIME,
  Money               TEXT,
  Live_Like           TEXT COLLATE NOCASE,
  Food_Set            TEXT COLLATE NOCASE,
  Car_Code            TEXT COLLATE NOCASE,
  Car_Name            TEXT COLLATE NOCASE,
  Car_Made_From       TEXT COLLATE NOCASE,
  Buy_Car_Date        DATETIME,
  House_Area          TEXT,
  Insure              TEXT COLLATE NOCASE,
  Country             TEXT COLLATE NOCASE,
  City                TEXT COLLATE NOCASE,
  Comsum_Character    TEXT COLLATE NOCASE
);
-- Codes are looked up by the barcode scanner and identify rows in the customer grid.
CREATE UNIQUE INDEX Customer_Code ON Customer (Code);
-- The duplicate test of a company (and the returned-mail update by company name).
CREATE INDEX Customer_Company ON Customer (Company_Name, Self_Data, Data_Type);
-- The duplicate test of a person.
CREATE INDEX Customer_LinkMan ON Customer (Main_LinkMan, Self_Data, Data_Type, Address);
-- Every query is limited to one scope; the index keeps the rows of a scope in ID order.
CREATE INDEX Customer_Scope ON Customer (Self_Data);

-- History of saved queries and exports.
CREATE TABLE Action_log (
  id              INTEGER PRIMARY KEY AUTOINCREMENT,
  UserCode        TEXT COLLATE NOCASE,
  Action_DateTime DATETIME,
  Translate_Sql   TEXT COLLATE NOCASE,
  RecordCount     INTEGER,
  Action_Des      TEXT COLLATE NOCASE
);

-- Wrong customer data reported by the staff.
CREATE TABLE Adjust_log (
  id            INTEGER PRIMARY KEY AUTOINCREMENT,
  Customer_Name TEXT COLLATE NOCASE,
  Customer_Code TEXT COLLATE NOCASE,
  Data_Type     TEXT COLLATE NOCASE,
  Note          TEXT COLLATE NOCASE,
  Adjust_Flag   BIT,
  Create_Date   DATETIME
);

-- The seven dictionaries behind the pick lists: one entry per row in Name.
CREATE TABLE Position   (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
CREATE TABLE Trade      (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
CREATE TABLE Area       (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
CREATE TABLE Province   (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
CREATE TABLE City       (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
CREATE TABLE Country    (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
CREATE TABLE DataSource (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);
