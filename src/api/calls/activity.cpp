// Activity records, accruals, transactions, point transfers, receipts and receipt configurations.

#include "api/calls/activity.hpp"

#include <chrono>

#include "api/request_road.hpp"
#include "models/activity/transfer_transaction.hpp"

namespace lumeno {

using namespace detail;

using BitPage = PaginatedResponse<std::vector<LumenoBit>>;

namespace detail {

Handle performTransaction(const Token& token, Result<JsonValue> request, Completion<BitResponse> completion) {
    return bodyCall<service::CreateBit>(token, std::move(request), std::move(completion));
}

Handle uploadReciept(const Token& token, Result<JsonValue> request, Completion<ReceiptResponse> completion) {
    return bodyCall<service::UploadReceipt>(token, std::move(request), std::move(completion));
}

Handle performPointTransfer(const Token& token, std::string senderID, std::string recipientID, double transferAmount,
                            Date now, Completion<BitResponse> completion) {
    return bodyCall<service::CreateBit>(
        token,
        writableBody(TransferTransaction::pointTransfer(std::move(senderID), std::move(recipientID), transferAmount, now)),
        std::move(completion));
}

}  // namespace detail

Handle LumenoRequest::getBITs(const Token& token, std::string memberID, std::string bitCategory, std::string bitType,
                              std::int64_t pageSize, std::optional<std::string> dateFrom,
                              std::optional<std::string> dateTo, Completion<BitPage> completion) {
    return dateFrom && dateTo
               ? tokenCall<service::GetTransactionsForTimePeriod>(token, std::move(completion), std::move(memberID),
                                                                  std::move(bitCategory), std::move(bitType), pageSize,
                                                                  std::move(*dateFrom), std::move(*dateTo))
               : tokenCall<service::GetTransactions>(token, std::move(completion), std::move(memberID),
                                                     std::move(bitCategory), std::move(bitType), pageSize);
}

Handle LumenoRequest::getBITs(const Token& token, std::string memberID, JsonObject parameters, std::int64_t pageSize,
                              Completion<BitPage> completion) {
    return tokenCall<service::GetTransactionsForQuery>(
        token, std::move(completion),
        withValues(std::move(parameters), {{"page_size", pageSize}, {"member_id", std::move(memberID)}}));
}

Handle LumenoRequest::getBITsFromCursor(const Token& token, std::string cursor, Completion<BitPage> completion) {
    return tokenCall<service::GetTransactionsFrom>(token, std::move(completion), std::move(cursor));
}

Handle LumenoRequest::getAccrualDetailsFromBitID(const Token& token, std::int64_t bitId, std::int64_t pageSize,
                                                 Completion<PaginatedResponse<std::vector<AccrualDetail>>> completion) {
    return tokenCall<service::GetAccrualDetailsFromBitID>(token, std::move(completion), bitId, pageSize);
}

Handle LumenoRequest::performPointTransfer(const Token& token, std::string senderID, std::string recipientID,
                                           double transferAmount, Completion<BitResponse> completion) {
    return detail::performPointTransfer(token, std::move(senderID), std::move(recipientID), transferAmount,
                                        std::chrono::system_clock::now(), std::move(completion));
}

Handle LumenoRequest::getReceipts(JsonObject params, const Token& token,
                                  Completion<std::vector<ReceiptResponse>> completion) {
    return tokenCall<service::GetReceipts>(token, std::move(completion), std::move(params));
}

Handle LumenoRequest::getSponsorConfigs(const Token& token, JsonObject parameters,
                                        Completion<std::vector<SponsorConfigResponse>> completion) {
    return tokenCall<service::GetAllSponsorConfigs>(token, std::move(completion), std::move(parameters));
}

}  // namespace lumeno
