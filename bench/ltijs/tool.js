// ltijs as a minimal LTI 1.3 tool, the reference the LTI tool's bench sets
// zentrik-tool beside: it takes the same launches from the bench's platform
// (login initiation at /login, the platform's form post at /, then ltijs's
// own redirect with its ltik) and answers the same page that zentrik-tool
// answers, on PostgreSQL through ltijs-sequelize. Its settings are those a
// school would deploy with: a platform registered by its keyset URL, state
// and session cookies required, the cookies zentrik-tool sets (Secure,
// SameSite=None); the id_token's age allowed is zentrik-tool's (10 minutes),
// so that both refuse the same launches.
//
//   node tool.js PORT PAGE_FILE PLATFORM_ORIGIN CLIENT_ID DATABASE_PORT
//
// Listens on 127.0.0.1 and prints "listening" once the platform is
// registered; SIGTERM closes the server and the database connections.

'use strict';

const fs = require('fs');
const crypto = require('crypto');
const lti = require('ltijs').Provider;
const Database = require('ltijs-sequelize');

const [port, pageFile, platformOrigin, clientId, databasePort] = process.argv.slice(2);
const page = fs.readFileSync(pageFile, 'utf8');
const ID_TOKEN_MAX_AGE_SECONDS = 600;

const database = new Database('postgres', 'ltijs', '', {
    host: '127.0.0.1',
    port: Number(databasePort),
    dialect: 'postgres',
    logging: false,
});

lti.setup(crypto.randomBytes(32).toString('hex'), {plugin: database}, {
    appRoute: '/',
    loginRoute: '/login',
    cookies: {secure: true, sameSite: 'None'},
    devMode: false,
    tokenMaxAge: ID_TOKEN_MAX_AGE_SECONDS,
});

lti.onConnect((token, req, res) => res.type('html').send(page));

async function start() {
    await lti.deploy({serverless: true, silent: true});
    await lti.registerPlatform({
        url: platformOrigin,
        name: 'bench platform',
        clientId,
        authenticationEndpoint: platformOrigin + '/auth',
        accesstokenEndpoint: platformOrigin + '/token',
        authConfig: {method: 'JWK_SET', key: platformOrigin + '/jwks'},
    });
    const server = lti.app.listen(Number(port), '127.0.0.1', () => console.log('listening'));
    process.on('SIGTERM', () => server.close(() => lti.close({silent: true}).then(() => process.exit(0))));
}

start().catch(error => {
    console.error(error);
    process.exit(1);
});
