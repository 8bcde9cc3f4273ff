-- The start-up catalog QRNStartup: the list of companies that live on a server.
-- Batches are separated by lines holding only GO, so sqlcmd can run this file on SQL Server too.

CREATE TABLE tblcompany (
    CompanyID int NOT NULL PRIMARY KEY,
    CompanyCode varchar(50) NOT NULL,
    CompanyName varchar(100) NULL,
    ApplicationID int NULL,
    active bit NULL,
    FinancialYearFrom datetime NULL,
    FinancialYearTo datetime NULL,
    CreatedDate datetime NULL
)
GO
CREATE INDEX IX_tblcompany_CompanyCode ON tblcompany (CompanyCode)
GO
