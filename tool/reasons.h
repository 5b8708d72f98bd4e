#pragma once

#include <string_view>

// Why the tool refused a request. Each reason has one name, shared by the
// error page, the log line and the tests, and one HTTP status.
enum class Reason {
    Accepted,
    // The login initiation.
    LoginIssuerMissing,
    LoginHintMissing,
    TargetLinkNotOurs,
    ClientUnknown,
    // The launch, in the order its checks run.
    LaunchFormIncomplete,
    StateUnknown,
    StateExpired,
    StateOtherBrowser,
    TokenMalformed,
    AlgorithmRefused,
    KidMissing,
    JwksUnavailable,
    KidUnknown,
    SignatureBad,
    IssuerUnknown,
    AudienceMismatch,
    AuthorizedPartyMissing,
    AuthorizedPartyMismatch,
    TokenExpired,
    IssuedAtOutOfRange,
    NonceMismatch,
    NonceUsed,
    NotLtiMessage,
    DeploymentMissing,
    DeploymentUnknown,
    MessageTypeMissing,
    MessageTypeUnsupported,
    VersionWrong,
    SubjectMissing,
    RolesMissing,
    ResourceLinkMissing,
    DeepLinkingUnavailable,
    // Anything else.
    NotFound,
    BodyTooLarge,
    HeadersTooLarge,
    BadRequest,
    InternalError,
};

struct ReasonText {
    Reason reason;
    std::string_view name;
    int status;
    std::string_view japanese;
    std::string_view english;
};

const ReasonText& reasonText(Reason reason);
