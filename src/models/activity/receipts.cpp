#include "models/activity/receipts_keys.hpp"

namespace lumeno {

using namespace detail;

UploadReceiptRequest::UploadReceiptRequest(std::optional<std::string> receipt_number, std::int64_t sponsor,
                                           std::optional<std::string> destination, std::optional<std::string> location,
                                           std::optional<std::string> transaction_date,
                                           std::optional<double> transaction_amount,
                                           std::optional<std::vector<std::string>> receipt_image_urls,
                                           std::optional<std::string> currency, std::string member)
    : receipt_number(std::move(receipt_number)), sponsor(sponsor), currency(std::move(currency)),
      destination(std::move(destination)), location(std::move(location)),
      transaction_date(std::move(transaction_date)), transaction_amount(transaction_amount),
      receipt_image_urls(std::move(receipt_image_urls)), member(std::move(member)) {}



}  // namespace lumeno
