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
ReasonText{Reason::BrowserCheckNeeded,      "browser_check_needed",      200, "", ""},
ReasonText{Reason::BrowserKeptNoCookie,     "browser_kept_no_cookie",    403, "このブラウザーは、学習サイトの中ではゲームを開けません。新しいウィンドウで開いてください。", "This browser cannot open the game inside the platform's page. Open it in a new window."},
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
ReasonText{Reason::DeepLinkingSettingsBad,  "deep_linking_settings_bad", 400, "学習サイトからの選択の呼び出しに、戻り先 (deep_link_return_url) がないか、リンクを受け取れません。", "The content chooser's request has no usable return URL, or takes no LTI link."},
ReasonText{Reason::RegistrationSecretWrong, "registration_secret_wrong", 404, "このページはありません。登録用の URL をもう一度確かめてください。", "There is no such page. Check the registration URL again."},
ReasonText{Reason::RegistrationRequestIncomplete, "registration_request_incomplete", 400, "学習サイトからの登録の呼び出しに設定の URL (openid_configuration) がありません。", "The platform's registration request has no openid_configuration."},
ReasonText{Reason::PlatformConfigurationUnavailable, "platform_configuration_unavailable", 502, "学習サイトの設定を取得できません。しばらくしてからもう一度登録してください。", "The platform's configuration cannot be fetched. Try registering again in a while."},
ReasonText{Reason::PlatformConfigurationBad, "platform_configuration_bad", 502, "学習サイトの設定が読めないか、必要な項目が足りません。", "The platform's configuration cannot be read or lacks what LTI 1.3 needs."},
ReasonText{Reason::PlatformIssuerMismatch,  "platform_issuer_mismatch",  502, "学習サイトの発行者 (issuer) が設定の URL と合いません。", "The platform's issuer does not match the address of its configuration."},
ReasonText{Reason::RegistrationRefused,     "registration_refused",      502, "学習サイトが登録を受け付けませんでした。登録をもう一度始めてください。", "The platform refused the registration. Begin the registration again."},
ReasonText{Reason::RegistrationAnswerBad,   "registration_answer_bad",   502, "学習サイトの登録の返事にクライアント ID がありません。", "The platform's answer to the registration has no client id."},
ReasonText{Reason::PlayTokenMissing,        "play_token_missing",        401, "進み具合の報告にプレイの鍵がありません。", "The progress report carries no play token."},
ReasonText{Reason::PlayTokenUnknown,        "play_token_unknown",        401, "プレイの鍵がちがいます。学習サイトからもう一度開いてください。", "The play token is unknown. Open the game from the platform again."},
ReasonText{Reason::PlayTokenExpired,        "play_token_expired",        401, "プレイの期限が切れました。学習サイトからもう一度開いてください。", "The play token has expired. Open the game from the platform again."},
ReasonText{Reason::ProgressMalformed,       "progress_malformed",        400, "進み具合の報告が読めません。", "The progress report cannot be read."},
ReasonText{Reason::ProgressOutOfOrder,      "progress_out_of_order",     409, "進み具合は一文字ずつ、順に報告されなければなりません。", "Progress is reported one letter more at a time, in order."},
ReasonText{Reason::ProgressTooFast,         "progress_too_fast",         429, "進み具合の報告がゲームより速すぎます。", "Progress came faster than the game can be played."},
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
