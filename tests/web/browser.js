// What the browser tests share: Debian's Chromium or Firefox ESR (NC_BROWSER) started headless
// with a profile of its own, the page served over loopback, and the native tools run on the same files.
const {execFileSync, spawnSync} = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');
const {chromium} = require(path.join(root, 'web', 'node_modules', 'playwright-core'));

// Set by CTest; the defaults fit a run by hand after scripts/build_web.sh and a build in build/.
const pagePath = process.env.NC_PAGE || path.join(root, 'build-web', 'neural-creatures.html');
const examplesDir = path.join(root, 'examples');
const netTrain = process.env.NC_NET_TRAIN || path.join(root, 'build', 'net_train', 'net_train');
const creatureLab = process.env.NC_CREATURE_LAB || path.join(root, 'build', 'creature_lab', 'creature_lab');
const browserName = process.env.NC_BROWSER || 'chromium';
const viewport = {width: 1280, height: 900};

// The machine's network is closed and tests must not wait on it: no QUIC, no background
// requests, no component updates, no sync.
const chromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];

function temporaryDirectory(prefix) {
    return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// A browser with a fresh profile; close() ends it and removes the profile. In Chromium,
// `screen` may give another viewport, a device pixel ratio (deviceScaleFactor) and touch
// (hasTouch), and `extraFlags` follow Chromium's flags.
async function startBrowser(screen = {}, extraFlags = []) {
    if (browserName === 'firefox') {
        return require('./firefox_page.js').startFirefox({
            puppeteer: require(path.join(root, 'web', 'node_modules', 'puppeteer-core')),
            executablePath: process.env.NC_FIREFOX || '/usr/bin/firefox-esr',
            viewport,
            downloads: temporaryDirectory('nc-firefox-downloads-'),
        });
    }
    const profile = temporaryDirectory('nc-chromium-');
    const context = await chromium.launchPersistentContext(profile, {
        executablePath: process.env.NC_CHROMIUM || '/usr/bin/chromium',
        headless: true,
        args: [...chromiumFlags, ...extraFlags],
        acceptDownloads: true,
        viewport,
        ...screen,
    });
    return {
        context,
        async close() {
            await context.close();
            fs.rmSync(profile, {recursive: true, force: true});
        },
    };
}

// Opens the page at `url` and waits for its test surface; every request it makes is listed.
async function openPage(context, url) {
    const page = await context.newPage();
    const requests = [];
    const errors = [];
    page.on('request', (request) => requests.push(request.url()));
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(url);
    await page.waitForFunction(() => typeof window.ncStatus === 'function', null, {timeout: 30000});
    return {page, requests, errors};
}

// axe-core's rules run on the page's whole document: each violation's rule, impact and help line,
// and a selector for each element it names.
async function axeViolations(page) {
    const source = fs.readFileSync(path.join(root, 'web', 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
    return page.evaluate(async (script) => {
        if (!window.axe)
            (0, eval)(script);  // indirectly, so that it defines window.axe as a script tag would
        const {violations} = await window.axe.run(document);
        return violations.map(({id, impact, help, nodes}) => ({id, impact, help,
            targets: nodes.map((node) => node.target.join(' '))}));
    }, source);
}

function fileUrl(hash = '') {
    return `file://${pagePath}${hash}`;
}

// Serves the page alone on 127.0.0.1 at a free port.
async function servePage() {
    const server = http.createServer((request, response) => {
        if (request.url !== '/' && !request.url.startsWith('/#')) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, {'Content-Type': 'text/html; charset=utf-8'});
        fs.createReadStream(pagePath).pipe(response);
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return {url: `http://127.0.0.1:${server.address().port}/`, close: () => new Promise((r) => server.close(r))};
}

// Runs a native tool in `directory`; its status, standard output and standard error.
function run(tool, args, directory) {
    const result = spawnSync(tool, args, {cwd: directory, encoding: 'utf8'});
    if (result.error)
        throw result.error;
    return {status: result.status, out: result.stdout, err: result.stderr};
}

function copyExample(name, directory) {
    fs.copyFileSync(path.join(examplesDir, name), path.join(directory, name));
    return path.join(directory, name);
}

// A dense network file of the given layer sizes with `patterns` patterns, trained for `passes`
// passes (an error limit no run reaches), from a generator of its own so that every run
// trains the same network.
function layeredNetwork(sizes, patterns, passes) {
    let state = 5;
    const random = () => {
        state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
        return state / 2 ** 32;
    };
    const number = (value) => value.toFixed(6);
    const lines = [`input_layer: ${sizes[0]}`];
    for (let layer = 1; layer < sizes.length; ++layer) {
        lines.push(`comp_layer: ${sizes[layer]}`);
        for (let neuron = 0; neuron < sizes[layer]; ++neuron) {
            const weights = Array.from({length: sizes[layer - 1]}, () => number(random() - 0.5));
            lines.push(`  weights: ${weights.join(' ')}`);
        }
    }
    const outputs = sizes[sizes.length - 1];
    for (let p = 0; p < patterns; ++p) {
        const inputs = Array.from({length: sizes[0]}, () => number(random()));
        const expected = Array.from({length: outputs}, (_, k) => (k === p % outputs ? '1' : '0'));
        lines.push(`pattern: ${inputs.join(' ')} -> ${expected.join(' ')}`);
    }
    lines.push('error_limit: 1e-12', `max_iterations: ${passes}`, 'learning_rate: 0.1');
    return `${lines.join('\n')}\n`;
}

module.exports = {
    root, browserName, pagePath, examplesDir, netTrain, creatureLab, startBrowser, openPage, axeViolations, fileUrl,
    servePage, run, copyExample, temporaryDirectory, execFileSync, layeredNetwork,
};
