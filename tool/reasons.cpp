#include "tool/reasons.h"

#include <algorithm>
#include <array>

namespace {

// What each reason tells the person in front of the page: a teacher or a
// child who cannot fix it, so the Japanese says what to do, and the name
// lets the school's IT person find the log line.
constexpr std::array REASONS = {
    // clang-format off
ReasonText{Reason::Accepted,                "accepted",                  200, "", ""},
ReasonText{Reason::LoginIssuerMissing,      "login_issuer_missing",      400, "学習サイトからの呼び出しに発行者 (iss) がありません。", "The platform's login request names no issuer (iss)."},
ReasonText{Reason::LoginHintMissing,        "login_hint_missing",        400, "学習サイトからの呼び出しに login_hint がありません。", "The platform's login request has no login_hint."},
ReasonText{Reason::TargetLinkNotOurs,       "target_link_not_ours",      400, "リンク先がこのサーバーではありません。", "The link's target is not this server."},
ReasonText{Reason::ClientUnknown,           "client_unknown",            403, "この学習サイトは登録されていません。管理者に連絡してください。", "This platform is not registered here. Tell the administrator."},
ReasonText{Reason::LaunchFormIncomplete,    "launch_form_incomplete",    400, "学習サイトからの起動に id_token か state がありません。", "The launch has no id_token or no state."},
ReasonText{Reason::StateUnknown,            "state_unknown",             400, "この起動は知らないログインから来ました。学習サイトからもう一度開いてください。", "This launch belongs to no login begun here. Open the game from the platform again."},
ReasonText{Reason::StateExpired,            "state_expired",             400, "ログインの期限が切れました。学習サイトからもう一度開いてください。", "The login took too long. Open the game from the platform again."},
ReasonText{Reason::StateOtherBrowser,       "state_other_browser",       403, "ログインを始めたブラウザーとちがいます。同じブラウザーで開いてください。", "The launch came to another browser than the one that began the login."},
ReasonText{Reason::TokenMalformed,          "token_malformed",           400, "学習サイトの id_token が読めません。", "The platform's id_token cannot be read."},
ReasonText{Reason::AlgorithmRefused,        "algorithm_refused",         401, "id_token の署名方式は RS256 でなければなりません。", "The id_token must be signed with RS256."},
ReasonText{Reason::KidMissing,              "kid_missing",               401, "id_token に鍵の ID (kid) がありません。", "The id_token names no key (kid)."},
ReasonText{Reason::JwksUnavailable,         "jwks_unavailable",          502, "学習サイトの公開鍵を取得できません。しばらくしてからもう一度開いてください。", "The platform's public keys cannot be fetched. Try again in a while."},
ReasonText{Reason::KidUnknown,              "kid_unknown",               401, "id_token の鍵が学習サイトの公開鍵にありません。", "The id_token's key is not among the platform's keys."},
ReasonText{Reason::SignatureBad,            "signature_bad",             401, "id_token の署名が正しくありません。", "The id_token's signature is wrong."},
ReasonText{Reason::IssuerUnknown,           "issuer_unknown",            403, "この学習サイトは登録されていません。管理者に連絡してください。", "This platform is not registered here. Tell the administrator."},
ReasonText{Reason::AudienceMismatch,        "audience_mismatch",         401, "id_token はこのツールあてではありません。", "The id_token is not meant for this tool (aud)."},
ReasonText{Reason::AuthorizedPartyMissing,  "authorized_party_missing",  401, "id_token に azp がありません。", "The id_token has several audiences and no azp."},
ReasonText{Reason::AuthorizedPartyMismatch, "authorized_party_mismatch", 401, "id_token の azp がこのツールではありません。", "The id_token's azp is not this tool."},
ReasonText{Reason::TokenExpired,            "token_expired",             401, "id_token の期限が切れています。学習サイトからもう一度開いてください。", "The id_token has expired. Open the game from the platform again."},
ReasonText{Reason::IssuedAtOutOfRange,      "issued_at_out_of_range",    401, "id_token の発行時刻がおかしいです。時計を確かめてください。", "The id_token's issue time is out of range. Check the clocks."},
ReasonText{Reason::NonceMismatch,           "nonce_mismatch",            401, "id_token がこのログインのものではありません。", "The id_token belongs to another login (nonce)."},
ReasonText{Reason::NonceUsed,               "nonce_used",                401, "この起動はすでに使われました。学習サイトからもう一度開いてください。", "This launch was used already. Open the game from the platform again."},
ReasonText{Reason::NotLtiMessage,           "not_lti_message",           400, "id_token は LTI の起動ではありません。", "The id_token is no LTI message."},
ReasonText{Reason::DeploymentMissing,       "deployment_missing",        400, "id_token に配置 ID (deployment_id) がありません。", "The id_token has no deployment id."},
ReasonText{Reason::DeploymentUnknown,       "deployment_unknown",        403, "この配置は登録されていません。管理者に連絡してください。", "This deployment is not registered here. Tell the administrator."},
ReasonText{Reason::MessageTypeMissing,      "message_type_missing",      400, "id_token にメッセージの種類がありません。", "The id_token has no message type."},
ReasonText{Reason::MessageTypeUnsupported,  "message_type_unsupported",  400, "このメッセージの種類には対応していません。", "The tool does not take this message type."},
ReasonText{Reason::VersionWrong,            "version_wrong",             400, "LTI のバージョンが 1.3.0 ではありません。", "The LTI version is not 1.3.0."},
ReasonText{Reason::SubjectMissing,          "subject_missing",           400, "id_token に利用者の ID (sub) がありません。", "The id_token names no user (sub)."},
ReasonText{Reason::RolesMissing,            "roles_missing",             400, "id_token に役割 (roles) がありません。", "The id_token has no roles claim."},
ReasonText{Reason::ResourceLinkMissing,     "resource_link_missing",     400, "id_token にリンクの ID がありません。", "The id_token has no resource link id."},
ReasonText{Reason::DeepLinkingUnavailable,  "deep_linking_unavailable",  501, "コンテンツの選択にはまだ対応していません。", "Choosing content (deep linking) is not available yet."},
ReasonText{Reason::NotFound,                "not_found",                 404, "このページはありません。", "There is no such page."},
ReasonText{Reason::BodyTooLarge,            "body_too_large",            413, "送られたデータが大きすぎます。", "The request is too large."},
ReasonText{Reason::HeadersTooLarge,         "headers_too_large",         431, "送られたヘッダーが大きすぎます。", "The request's headers are too large."},
ReasonText{Reason::BadRequest,              "bad_request",               400, "リクエストが正しくありません。", "The request is malformed."},
ReasonText{Reason::InternalError,           "internal_error",            500, "サーバーで問題が起きました。管理者に連絡してください。", "Something went wrong on the server. Tell the administrator."},
    // clang-format on
};

} // namespace

const ReasonText& reasonText(Reason reason)
{
    const auto* row
        = std::find_if(REASONS.begin(), REASONS.end(), [&](const ReasonText& r) { return r.reason == reason; });
    return row != REASONS.end() ? *row : REASONS.back();
}
