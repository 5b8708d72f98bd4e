#include "tool/commandline.h"
#include "tool/keyring.h"
#include "tool/server.h"
#include "tool/sqlitestore.h"

#include <iostream>

int main(int argc, char* argv[])
{
    const CommandLine line = parseCommandLine(argc, argv);
    if (const std::optional<int> status = answerWithoutServing(line))
        return *status;
    try {
        SqliteStore store(line.config.dataFolder / DATABASE_FILE);
        KeyRing keys(line.config.dataFolder);
        return serve(line.config, store, keys);
    } catch (const std::exception& error) {
        std::cerr << "zentrik-tool: " << error.what() << "\n";
        return 1;
    }
}
