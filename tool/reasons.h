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
    // No cookie came: the browser checks with the platform's storage, or
    // begins the login again in a window of its own. Answers, not refusals.
    BrowserCheckNeeded,
    BrowserKeptNoCookie,
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
    // A teacher choosing the game in the platform's content chooser.
    DeepLinkingSettingsBad,
    // A platform registering itself.
    RegistrationSecretWrong,
    RegistrationRequestIncomplete,
    PlatformConfigurationUnavailable,
    PlatformConfigurationBad,
    PlatformIssuerMismatch,
    RegistrationRefused,
    RegistrationAnswerBad,
    // The page's progress report.
    PlayTokenMissing,
    PlayTokenUnknown,
    PlayTokenExpired,
    ProgressMalformed,
    ProgressOutOfOrder,
    ProgressTooFast,
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
