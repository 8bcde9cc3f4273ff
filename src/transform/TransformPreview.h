#pragma once

#include "transform/Amount.h"
#include "transform/TransformationRun.h"

#include <QString>

namespace connection {
class CompanyConnections;
}
namespace report {
class Prompter;
class Reporter;
}

namespace transform {

/// Quantity times purchase rate, sales rate and MRP, summed over item rows.
struct PriceTotals {
    Amount purchase;
    Amount sales;
    Amount mrp;
};

/// What Start Transform would do with the checked vouchers and the choices of now.
struct Preview {
    /// Why nothing would be copied ("" when the run would go ahead); the run's box was shown too.
    QString refused;
    VoucherFamily family = VoucherFamily::None;
    /// Checked vouchers that would be copied, skipped as already in the branch, not found at head office.
    int toCopy = 0;
    int alreadyTransferred = 0;
    int notFound = 0;
    /// Item rows copied with them, at head office and in the branch after the reductions (each
    /// reduced rate rounded as the branch's column stores it).
    int items = 0;
    PriceTotals headOffice;
    PriceTotals branch;
    /// Item rows of those vouchers that the category and item-class filters leave out, at head office.
    int itemsLeftOut = 0;
    PriceTotals leftOut;
    /// What the copies get: the TaxType written ("" when head office's is kept), cboTaxMode's text
    /// and the destination voucher type.
    QString taxType;
    QString taxModeText;
    QString vchType;
};

/// Works out what a transformation run would copy and what the copies would be worth, without
/// writing anything. The run's own checks decide whether it would go ahead, with the run's boxes.
class TransformPreview {
public:
    TransformPreview(connection::CompanyConnections& connections, report::Reporter& reporter, report::Prompter& prompter);

    /// The preview of a run over `choices` with `settings`. Throws db::DbError when a company
    /// cannot be read.
    Preview preview(const RunChoices& choices, const RunSettings& settings);

private:
    connection::CompanyConnections& m_connections;
    TransformationRun m_run;
};

} // namespace transform
