#include "tool/commandline.h"

#include "tool/context.h"
#include "tool/keyring.h"
#include "tool/keys.h"
#include "tool/registration.h"
#include "tool/sqlitestore.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <map>

namespace {

constexpr const char* USAGE
    = "Usage: zentrik-tool --data DIR --pages DIR --base-url URL [--port N] [--listen ADDRESS] [--check]\n"
      "       zentrik-tool register --data DIR --base-url URL --issuer URL --client-id ID --auth-url URL\n"
      "                    --token-url URL --jwks-url URL --deployment ID [--deployment ID ...]\n"
      "       zentrik-tool registration-url --data DIR --base-url URL\n"
      "       zentrik-tool rotate-key --data DIR\n"
      "Serves the game's page to learning platforms by LTI 1.3.\n"
      "  --data DIR       the tool's own folder: its database and private key\n"
      "  --pages DIR      the page folder make web builds for the tool (build-wasm/lti)\n"
      "  --base-url URL   the address platforms and browsers reach the tool at\n"
      "  --port N         the port to listen on (8080)\n"
      "  --listen ADDRESS the address to listen on (127.0.0.1; TLS is a proxy's in front)\n"
      "  --check          say what is wrong with the configuration and stop\n"
      "register stores a platform registered by hand (with only --issuer, --client-id and\n"
      "--deployment, it adds deployments to one it has); registration-url prints the URL a platform\n"
      "with LTI Dynamic Registration registers itself at (made on first use, kept in --data);\n"
      "rotate-key publishes a new key that the tool signs with a day later (run it again after\n"
      "that to retire the old one and publish the next).\n";

std::string problemsText(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& problem : problems)
        text += "zentrik-tool: " + problem + "\n";
    return text;
}

// What a platform's administrator enters in the platform's tool form.
void printRegistrationSheet(const ToolUrls& urls, const SigningKey& key)
{
    std::cout << "Enter these in the platform's form for the tool:\n"
              << "  Login initiation URL (OpenID Connect):  " << urls.login << "\n"
              << "  Redirect URL (launch):                  " << urls.launch << "\n"
              << "  Target link URL (tool URL):             " << urls.target << "\n"
              << "  Public keyset URL (JWKS):               " << urls.jwks << "\n"
              << "  Key id (kid):                           " << key.kid << "\n"
              << "  Public key, where the form asks for one instead of a keyset URL:\n"
              << publicKeyPem(key);
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const argv[])
{
    CommandLine line;
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "register") {
        line.command = CommandLine::Command::Register;
        first = 2;
    } else if (argc > 1 && std::string(argv[1]) == "registration-url") {
        line.command = CommandLine::Command::RegistrationUrl;
        first = 2;
    } else if (argc > 1 && std::string(argv[1]) == "rotate-key") {
        line.command = CommandLine::Command::RotateKey;
        first = 2;
    }
    const bool registering = line.command == CommandLine::Command::Register;
    const bool serving = line.command == CommandLine::Command::Serve;
    std::string data;
    std::string pages;
    std::string port;
    std::map<std::string, std::string*> values = {{"--data", &data}, {"--base-url", &line.config.baseUrl}};
    if (registering)
        values.insert({{"--issuer", &line.platform.issuer},
                       {"--client-id", &line.platform.clientId},
                       {"--auth-url", &line.platform.authUrl},
                       {"--token-url", &line.platform.tokenUrl},
                       {"--jwks-url", &line.platform.jwksUrl}});
    if (serving)
        values.insert({{"--pages", &pages}, {"--port", &port}, {"--listen", &line.config.listen}});
    for (int i = first; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            line.command = CommandLine::Command::Help;
            return line;
        }
        if (option == "--check" && serving) {
            line.command = CommandLine::Command::Check;
            continue;
        }
        const bool takesValue = values.contains(option) || (registering && option == "--deployment");
        if (!takesValue)
            line.errors.push_back("unknown option '" + option + "'");
        else if (i + 1 >= argc)
            line.errors.push_back(option + " needs a value");
        else if (option == "--deployment")
            line.deployments.emplace_back(argv[++i]);
        else
            *values.at(option) = argv[++i];
    }
    line.config.dataFolder = data;
    line.config.pageFolder = pages;
    if (!port.empty()) {
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), line.config.port);
        if (error != std::errc() || end != port.data() + port.size())
            line.errors.push_back("--port " + port + " is not a number");
    }
    return line;
}

std::optional<int> answerWithoutServing(const CommandLine& line)
{
    if (line.command == CommandLine::Command::Help) {
        std::cout << USAGE;
        return 0;
    }
    if (!line.errors.empty()) {
        std::cerr << problemsText(line.errors) << "zentrik-tool --help lists the options\n";
        return 2;
    }
    std::vector<std::string> problems = configProblems(line.config);
    // Registering, the registration URL and the key need no page folder and
    // no port; the key no address either.
    const bool rotating = line.command == CommandLine::Command::RotateKey;
    if (line.command == CommandLine::Command::Register || line.command == CommandLine::Command::RegistrationUrl
        || rotating)
        std::erase_if(problems, [rotating](const std::string& p) {
            return p.starts_with("--pages") || p.starts_with("--port") || (rotating && p.starts_with("--base-url"));
        });
    // Without any of the platform's addresses, register adds deployments to
    // a registration the tool has.
    const Platform& p = line.platform;
    const bool addingDeployments = line.command == CommandLine::Command::Register && p.authUrl.empty()
        && p.tokenUrl.empty() && p.jwksUrl.empty();
    if (line.command == CommandLine::Command::Register) {
        for (const auto& [name, value] : {std::pair{"--issuer", p.issuer},
                                          {"--client-id", p.clientId},
                                          {"--auth-url", p.authUrl},
                                          {"--token-url", p.tokenUrl},
                                          {"--jwks-url", p.jwksUrl}})
            if (value.empty()
                && !(addingDeployments && name != std::string("--issuer") && name != std::string("--client-id")))
                problems.push_back(std::string(name) + " is missing");
        for (const std::string& url : {p.issuer, p.authUrl, p.tokenUrl, p.jwksUrl})
            if (!url.empty() && urlOrigin(url).empty())
                problems.push_back(url + " is no http or https address");
        if (line.deployments.empty())
            problems.emplace_back("--deployment is missing (the platform's deployment id)");
    }
    if (!problems.empty()) {
        std::cerr << problemsText(problems);
        return 1;
    }
    if (line.command == CommandLine::Command::Check) {
        std::cout << "zentrik-tool: the configuration is good\n";
        return 0;
    }
    if (line.command == CommandLine::Command::Serve)
        return std::nullopt;
    try {
        if (rotating) {
            const Rotation rotation = rotateKey(line.config.dataFolder, systemNow());
            std::cout << rotation.text;
            return rotation.rotated ? 0 : 1;
        }
        if (line.command == CommandLine::Command::RegistrationUrl) {
            std::cout << registrationUrl(line.config.baseUrl, loadOrCreateRegistrationSecret(line.config.dataFolder))
                      << "\n";
            return 0;
        }
        SqliteStore store(line.config.dataFolder / DATABASE_FILE);
        const SigningKey key = loadOrCreateToolKey(line.config.dataFolder);
        if (addingDeployments) {
            const std::vector<Platform> known = store.platformsOf(p.issuer);
            const auto found = std::find_if(known.begin(), known.end(),
                                            [&](const Platform& one) { return one.clientId == p.clientId; });
            if (found == known.end()) {
                std::cerr << "zentrik-tool: no registration of " << p.issuer << " with client id " << p.clientId
                          << ": give --auth-url, --token-url and --jwks-url as well\n";
                return 1;
            }
            for (const std::string& deployment : line.deployments)
                store.addDeployment(found->id, deployment);
            std::cout << "Added " << line.deployments.size() << " deployment"
                      << (line.deployments.size() == 1 ? "" : "s") << " to " << p.issuer << " (client id " << p.clientId
                      << ").\n";
            return 0;
        }
        const std::int64_t id = store.savePlatform(line.platform);
        for (const std::string& deployment : line.deployments)
            store.addDeployment(id, deployment);
        std::cout << "Registered " << line.platform.issuer << " (client id " << line.platform.clientId << ", "
                  << line.deployments.size() << " deployment" << (line.deployments.size() == 1 ? "" : "s") << ").\n";
        printRegistrationSheet(toolUrls(line.config.baseUrl), key);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "zentrik-tool: " << error.what() << "\n";
        return 1;
    }
}
