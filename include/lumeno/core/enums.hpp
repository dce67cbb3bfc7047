#pragma once

#include <string_view>

namespace lumeno {

/// Which enrolment path a new member takes.
enum class EnrollmentType { normal, facebook, google, apple };

/// The service a one-time password is for; sent as "service".
enum class OTPServiceType { redemption, availment, signIn, signUp, mobileUpdate, deleteAccount };

/// The state of an offer booking; sent as "status".
enum class BookingStatus { booked, completed, cancelled, awaiting };

/// The service as sent: "REDEMPTION_OTP", "AVAILMENT_OTP", "SIGN_IN_OTP", "SIGN_UP_OTP",
/// "MOBILE_UPDATE_OTP", "ACCOUNT_DELETION".
constexpr std::string_view rawValue(OTPServiceType type) {
    switch (type) {
        case OTPServiceType::redemption: return "REDEMPTION_OTP";
        case OTPServiceType::availment: return "AVAILMENT_OTP";
        case OTPServiceType::signIn: return "SIGN_IN_OTP";
        case OTPServiceType::signUp: return "SIGN_UP_OTP";
        case OTPServiceType::mobileUpdate: return "MOBILE_UPDATE_OTP";
        case OTPServiceType::deleteAccount: return "ACCOUNT_DELETION";
    }
    return {};
}

/// The status as sent: "BOOKED", "COMPLETED", "CANCELLED", "AWAITING_CONFIRMATION".
constexpr std::string_view rawValue(BookingStatus status) {
    switch (status) {
        case BookingStatus::booked: return "BOOKED";
        case BookingStatus::completed: return "COMPLETED";
        case BookingStatus::cancelled: return "CANCELLED";
        case BookingStatus::awaiting: return "AWAITING_CONFIRMATION";
    }
    return {};
}

}  // namespace lumeno
