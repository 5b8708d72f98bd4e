#include "tool/server.h"

#include "tool/browserpages.h"
#include "tool/deeplinking.h"
#include "tool/errorpage.h"
#include "tool/fetcher.h"
#include "tool/launch.h"
#include "tool/log.h"
#include "tool/login.h"
#include "tool/progress.h"
#include "tool/registration.h"
#include "tool/scores.h"
#include "tool/statebinding.h"

#include "web/protocol.h"

#include <httplib.h>

#include <csignal>
#include <iostream>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>

namespace {

// A platform's JWKS is fetched again for an unknown kid at most this often.
constexpr std::chrono::seconds JWKS_REFETCH_BOUND{60};
constexpr int EXIT_CANNOT_LISTEN = 3;

void send(httplib::Response& res, const Answer& answer)
{
    res.status = answer.status;
    for (const auto& [name, value] : answer.headers)
        res.set_header(name, value);
    res.set_content(answer.body, answer.contentType);
}

// A request's path as the log may hold it: the registration URL's secret
// left out.
std::string loggedPath(const std::string& path)
{
    constexpr std::string_view REGISTER = "/register/";
    return path.starts_with(REGISTER) ? std::string(REGISTER) + "..." : path;
}

void refuse(httplib::Response& res, std::string_view event, Reason reason, const httplib::Request& req,
            std::int64_t platformId = 0, const LogFields& more = {})
{
    const ReasonText& text = reasonText(reason);
    LogFields fields{{"outcome", "refused"},
                     {"reason", std::string(text.name)},
                     {"status", std::to_string(text.status)},
                     {"method", req.method},
                     {"path", loggedPath(req.path)}};
    if (platformId != 0)
        fields.emplace_back("platform", std::to_string(platformId));
    fields.insert(fields.end(), more.begin(), more.end());
    logEvent(event, fields);
    send(res, errorPage(reason));
}

// The origins that may frame a launched page: the platform's own, as its
// issuer and its authorization endpoint name it, and as its signed message
// names its pages (a platform whose courses live on the school's host while
// its issuer is the maker's).
std::vector<std::string> frameOrigins(const Launch& launched)
{
    std::vector<std::string> origins;
    std::vector<std::string> named = {urlOrigin(launched.platform.issuer), urlOrigin(launched.platform.authUrl)};
    named.insert(named.end(), launched.pageOrigins.begin(), launched.pageOrigins.end());
    for (const std::string& origin : named)
        if (!origin.empty() && std::find(origins.begin(), origins.end(), origin) == origins.end())
            origins.push_back(origin);
    return origins;
}

} // namespace

ToolServer::ToolServer(const ToolContext& context, KeyRing& keys, PageFolder page, const ServerLimits& limits,
                       std::function<void()> scoreQueued)
    : m_context(context)
    , m_keys(keys)
    , m_page(std::move(page))
    , m_limits(limits)
    , m_scoreQueued(std::move(scoreQueued))
    , m_server(std::make_unique<httplib::Server>())
{
    m_server->set_payload_max_length(m_limits.bodyMaxBytes);
    m_server->set_read_timeout(m_limits.readTimeout);
    m_server->set_write_timeout(m_limits.writeTimeout);
    m_server->set_keep_alive_timeout(m_limits.keepAliveTimeout.count());
    m_server->new_task_queue = [threads = m_limits.threads] { return new httplib::ThreadPool(threads); };
    // Each answer's headers and body go out in two writes: without this the
    // body waits for the client's delayed acknowledgement (the delay is in
    // docs/performance.md).
    m_server->set_tcp_nodelay(true);
    // The listening socket's options, and the socket kept, whose backlog
    // bind() widens.
    m_server->set_socket_options([this](socket_t socket) {
        // SO_REUSEADDR to listen again at once after a restart; not the
        // library's SO_REUSEPORT, under which a second tool on the same
        // port would share its connections rather than be told it is taken.
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        m_listening = socket;
    });
    route();
}

ToolServer::~ToolServer() = default;

bool ToolServer::bind(const std::string& host, int port)
{
    // The library listens with a backlog of 5, fixed where Debian builds
    // it: a second listen() on the bound socket widens it, or the kernel
    // turns away a class's browsers connecting at once.
    return m_server->bind_to_port(host, port)
        && (m_listening < 0 || ::listen(m_listening, m_limits.listenBacklog) == 0);
}

void ToolServer::run()
{
    m_server->listen_after_bind();
}

void ToolServer::stop()
{
    m_server->stop();
}

void ToolServer::acceptRegistrations(const std::filesystem::path& dataFolder)
{
    m_dataFolder = dataFolder;
}

void ToolServer::route()
{
    // Each header line is bounded by the library; their number and sum here.
    m_server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        std::size_t bytes = 0;
        for (const auto& [name, value] : req.headers)
            bytes += name.size() + value.size();
        if (req.headers.size() <= m_limits.headerCountMax && bytes <= m_limits.headerMaxBytes)
            return httplib::Server::HandlerResponse::Unhandled;
        refuse(res, "request", Reason::HeadersTooLarge, req);
        return httplib::Server::HandlerResponse::Handled;
    });

    m_server->Get("/.well-known/jwks.json",
                  [this](const httplib::Request&, httplib::Response& res) { answerJwks(res); });
    m_server->Get("/login", [this](const httplib::Request& req, httplib::Response& res) { answerLogin(req, res); });
    m_server->Post("/login", [this](const httplib::Request& req, httplib::Response& res) { answerLogin(req, res); });
    // Read apart from the library's form parser, which refuses forms over
    // a fixed 8 KiB that a platform's id_token can pass; the body's bound
    // is the server's.
    m_server->Post("/launch",
                   [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
                       answerLaunch(req, res, reader);
                   });
    m_server->Post(std::string("/") + PROGRESS_PATH,
                   [this](const httplib::Request& req, httplib::Response& res) { answerProgress(req, res); });
    // A platform registering itself; the path's secret keeps others out,
    // and the log line names neither it nor the registration token.
    m_server->Get(R"(/register/([^/]+))", [this](const httplib::Request& req, httplib::Response& res) {
        const RegistrationRequest request{req.matches[1], req.get_param_value("openid_configuration"),
                                          req.get_param_value("registration_token")};
        send(res, answerRegistration(request, m_dataFolder, m_page.title(), m_context));
    });
    m_server->Get(".*", [this](const httplib::Request& req, httplib::Response& res) { answerFile(req, res); });

    // What the library answers itself (no route, a body over the bound, a
    // request it cannot read) gets the same page and log line.
    m_server->set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            Reason reason = Reason::BadRequest;
            if (res.status == 404 || res.status == 405)
                reason = Reason::NotFound;
            else if (res.status == 413)
                reason = Reason::BodyTooLarge;
            else if (res.status >= 500)
                reason = Reason::InternalError;
            const int status = res.status;
            refuse(res, "request", reason, req);
            // The library's status stands where it is more precise than ours.
            res.status = status;
            return httplib::Server::HandlerResponse::Handled;
        }));
    m_server->set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr error) {
        std::string what = "unknown";
        try {
            std::rethrow_exception(std::move(error));
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        logEvent("error", {{"path", loggedPath(req.path)}, {"what", what}});
        send(res, errorPage(Reason::InternalError));
    });
}

void ToolServer::answerJwks(httplib::Response& res) const
{
    nlohmann::json jwks = {{"keys", nlohmann::json::array()}};
    for (const SigningKey& key : m_keys.published(m_context.now()))
        jwks["keys"].push_back(publicJwk(key));
    res.set_header("Cache-Control", "max-age=300");
    res.set_content(jwks.dump(), "application/json");
}

void ToolServer::answerLogin(const httplib::Request& req, httplib::Response& res) const
{
    const LoginRequest request{req.get_param_value("iss"),
                               req.get_param_value("login_hint"),
                               req.get_param_value("target_link_uri"),
                               req.get_param_value("lti_message_hint"),
                               req.get_param_value("client_id"),
                               req.get_param_value("lti_deployment_id"),
                               req.get_param_value("lti_storage_target")};
    const LoginAnswer answer = initiateLogin(request, m_context);
    if (answer.reason != Reason::Accepted)
        // Which platform was refused, for the administrator who registers it.
        return refuse(res, "login", answer.reason, req, answer.platformId,
                      {{"issuer", request.issuer}, {"client_id", request.clientId}});
    // Where the platform offers its storage, the binding goes there too,
    // from a page in the frame, before the browser goes on.
    const bool storing = !answer.storageTarget.empty();
    logEvent("login",
             {{"outcome", storing ? "storing" : "redirected"}, {"platform", std::to_string(answer.platformId)}});
    if (storing) {
        send(res,
             storageLoginPage({answer.storageTarget, answer.platformOrigin, answer.storageKey}, answer.storageValue,
                              answer.location, m_context.random()));
    } else {
        res.status = 302;
        res.set_header("Location", answer.location);
        res.set_header("Cache-Control", "no-store");
    }
    res.set_header("Set-Cookie", answer.setCookie);
}

void ToolServer::answerLaunch(const httplib::Request& req, httplib::Response& res,
                              const httplib::ContentReader& reader) const
{
    if (!req.get_header_value("Content-Type").starts_with("application/x-www-form-urlencoded"))
        return refuse(res, "launch", Reason::LaunchFormIncomplete, req);
    // The reader stops at the server's bound, or at a client too slow.
    std::string body;
    const bool whole = reader([this, &body](const char* data, std::size_t length) {
        body.append(data, length);
        return body.size() <= m_limits.bodyMaxBytes;
    });
    if (!whole) {
        const bool tooLarge = req.get_header_value<std::uint64_t>("Content-Length") > m_limits.bodyMaxBytes
            || body.size() > m_limits.bodyMaxBytes;
        return refuse(res, "launch", tooLarge ? Reason::BodyTooLarge : Reason::BadRequest, req);
    }
    httplib::Params form;
    httplib::detail::parse_query_text(body, form);
    const auto field = [&form](const char* name) {
        const auto found = form.find(name);
        return found != form.end() ? found->second : std::string();
    };
    const LaunchForm launchForm{field("id_token"), field("state"), req.get_header_value("Cookie"),
                                field("browser_proof")};

    const Launch launched = launch(launchForm, m_context);
    if (launched.reason == Reason::BrowserCheckNeeded || launched.reason == Reason::BrowserKeptNoCookie) {
        const bool checking = launched.reason == Reason::BrowserCheckNeeded;
        logEvent("launch",
                 {{"outcome", checking ? "checking_storage" : "own_window"},
                  {"platform", std::to_string(launched.platform.id)}});
        const LoginState& login = launched.login;
        return send(res,
                    checking ? storageLaunchPage(
                        {login.storageTarget, urlOrigin(launched.platform.authUrl), storageKey(login.state)},
                        m_context.urls.launch, launchForm.idToken, launchForm.state, login.restartUrl,
                        m_context.random())
                             : ownWindowPage(login.restartUrl));
    }
    if (launched.reason != Reason::Accepted)
        return refuse(res, "launch", launched.reason, req, launched.platform.id);

    logEvent("launch",
             {{"outcome", "accepted"},
              {"platform", std::to_string(launched.platform.id)},
              {"message_type", launched.messageType}});
    // A teacher's choice in the content chooser goes back to the platform;
    // any other launch opens the game.
    send(res,
         launched.deepLinking ? deepLinkingPage(launched, m_page.title(), m_keys.signing(m_context.now()),
                                                frameOrigins(launched), m_context)
                              : m_page.launchedPage(launched.playToken, frameOrigins(launched)));
    res.set_header("Set-Cookie", forgetBinding(launchForm.state, urlPath(m_context.urls.launch)));
}

void ToolServer::answerProgress(const httplib::Request& req, httplib::Response& res) const
{
    const ProgressAnswer answer = takeProgress(req.get_header_value("Authorization"), req.body, m_context);
    if (answer.reason != Reason::Accepted) {
        refuse(res, "progress", answer.reason, req, answer.platformId);
        if (answer.reason == Reason::ProgressTooFast) {
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(answer.retryAfter);
            res.set_header("Retry-After", std::to_string(std::max<std::int64_t>(seconds.count(), 1)));
        }
        return;
    }
    logEvent("progress",
             {{"outcome", "accepted"},
              {"platform", std::to_string(answer.platformId)},
              {"queued", answer.queued ? "yes" : "no"}});
    if (answer.queued && m_scoreQueued)
        m_scoreQueued();
    res.status = 204;
    res.set_header("Cache-Control", "no-store");
}

void ToolServer::answerFile(const httplib::Request& req, httplib::Response& res) const
{
    const bool acceptsGzip = req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
    if (const std::optional<Answer> file = m_page.file(req.path, acceptsGzip))
        return send(res, *file);
    refuse(res, "request", Reason::NotFound, req);
}

int serve(const Config& config, Store& store, KeyRing& keys)
{
    // SIGINT and SIGTERM go to one thread that stops the server, rather
    // than to a handler that would interrupt a request.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    JwksCache jwks(httpFetcher(), JWKS_REFETCH_BOUND);
    const ToolContext context{store,        jwks,         toolUrls(config.baseUrl),
                              systemNow,    randomSecret, httpAuthorizedFetcher(),
                              httpPoster(), systemInstant};
    store.purge(systemNow());
    // Scores go out on a thread of their own, starting with what a stopped
    // tool left in the outbox.
    ScoreSender sender(store, keys, httpPoster(), systemNow, randomSecret);
    struct Sending {
        ScoreSender& sender;
        std::thread thread;
        ~Sending()
        {
            sender.stop();
            thread.join();
        }
    } sending{sender, std::thread([&sender] { sender.run(); })};
    ToolServer server(context, keys, PageFolder(config.pageFolder), {}, [&sender] { sender.wake(); });
    server.acceptRegistrations(config.dataFolder);
    if (!server.bind(config.listen, config.port)) {
        std::cerr << "zentrik-tool: cannot listen on " << config.listen << " port " << config.port << "\n";
        return EXIT_CANNOT_LISTEN;
    }
    std::thread stopper([&server, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.stop();
    });
    logEvent("start", {{"listen", config.listen}, {"port", std::to_string(config.port)}, {"base_url", config.baseUrl}});
    server.run();
    stopper.join();
    logEvent("stop", {});
    return 0;
}
