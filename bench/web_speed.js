// Training speed of the browser edition against native net_train, in passes per second, on
// exclusive-or and on a 64-32-10 network with 100 patterns. Both run the same files for a fixed
// number of passes (an error limit no run reaches), in turns, several rounds; the best round of
// each counts, the one least disturbed by whatever else the machine runs. Prints one row per
// network and the ratio.
//   node bench/web_speed.js PAGE NET_TRAIN
const fs = require('node:fs');
const path = require('node:path');
const {performance} = require('node:perf_hooks');
const web = require('../tests/web/browser.js');

const rounds = 15;
const [pagePath, netTrain] = process.argv.slice(2).map((argument) => argument && path.resolve(argument));
if (!pagePath || !netTrain) {
    console.error('usage: node bench/web_speed.js PAGE NET_TRAIN');
    process.exit(64);
}

function exclusiveOr(passes) {
    const text = fs.readFileSync(path.join(web.examplesDir, 'exclusive_or_training.txt'), 'utf8');
    return text.replace(/^error_limit: .*$/m, 'error_limit: 1e-12').replace(/^max_iterations: .*$/m, `max_iterations: ${passes}`);
}

function nativeRate(file, passes, directory) {
    const started = performance.now();
    const result = web.run(netTrain, ['-q', file], directory);
    const seconds = (performance.now() - started) / 1000;
    if (result.status !== 1)
        throw new Error(`net_train ${file}: status ${result.status}, expected the iteration limit\n${result.err}`);
    return passes / seconds;
}

async function loadInPage(page, file) {
    await page.setInputFiles('#network-file', file);
    await page.waitForFunction((name) => document.getElementById('state-details').textContent.startsWith(name),
        path.basename(file));
}

// From the file's weights each time: the reset button, then the passes timed in the page.
async function pageRate(page, passes) {
    await page.click('#reset');
    return page.evaluate((count) => {
        const started = performance.now();
        const stepped = window.ncStep(count);
        const seconds = (performance.now() - started) / 1000;
        return stepped.passes / seconds;
    }, passes);
}

(async () => {
    const work = web.temporaryDirectory('nc-web-speed-');
    const cases = [
        {name: 'exclusive-or 2-2-1, 4 patterns', file: 'exclusive_or.txt', passes: 1000000, text: exclusiveOr},
        {name: '64-32-10, 100 patterns', file: 'network_64_32_10.txt', passes: 1000,
            text: (passes) => web.layeredNetwork([64, 32, 10], 100, passes)},
    ];
    const browser = await web.startBrowser();
    try {
        const {page} = await web.openPage(browser.context, `file://${pagePath}`);
        console.log('network                          native passes/s    page passes/s   page/native');
        for (const one of cases) {
            const file = path.join(work, one.file);
            fs.writeFileSync(file, one.text(one.passes));
            await loadInPage(page, file);
            let native = 0;
            let inPage = 0;
            for (let round = 0; round < rounds; ++round) {
                native = Math.max(native, nativeRate(one.file, one.passes, work));
                inPage = Math.max(inPage, await pageRate(page, one.passes));
            }
            console.log(`${one.name.padEnd(32)} ${native.toFixed(0).padStart(15)} ${inPage.toFixed(0).padStart(16)}` +
                `   ${(inPage / native).toFixed(2).padStart(11)}`);
        }
    } finally {
        await browser.close();
        fs.rmSync(work, {recursive: true, force: true});
    }
})().catch((error) => {
    console.error(`web_speed: ${error.message}`);
    process.exit(1);
});
