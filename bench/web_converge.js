// Time to a trained exclusive-or in the browser NC_BROWSER names (chromium or firefox): wall time
// from opening the page to its state 'converged' after Start is pressed at the starting step,
// as a classroom meets it. Prints each round, the passes it took and the best round.
//   NC_BROWSER=firefox node bench/web_converge.js [PAGE]
const path = require('node:path');
const {performance} = require('node:perf_hooks');
const web = require('../tests/web/browser.js');

const rounds = 3;
const convergeTimeout = 120000;
const pagePath = path.resolve(process.argv[2] || web.pagePath);

(async () => {
    const browser = await web.startBrowser();
    try {
        const seconds = [];
        for (let round = 1; round <= rounds; ++round) {
            const started = performance.now();
            const {page} = await web.openPage(browser.context, `file://${pagePath}#lab`);
            await page.click('#start-pause');
            await page.waitForFunction(() => window.ncStatus().state !== 'training', null, {timeout: convergeTimeout});
            seconds.push((performance.now() - started) / 1000);
            const {state, passes} = await page.evaluate(() => window.ncStatus());
            if (state !== 'converged')
                throw new Error(`round ${round}: ${state} after ${passes} passes`);
            console.log(`${web.browserName} round ${round}: converged at pass ${passes} in ${seconds[round - 1].toFixed(2)} s`);
            await page.close();
        }
        console.log(`${web.browserName} best: ${Math.min(...seconds).toFixed(2)} s`);
    } finally {
        await browser.close();
    }
})().catch((error) => {
    console.error(error);
    process.exitCode = 1;
});
