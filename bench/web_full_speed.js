// The lab view's training rate at its fastest step against window.ncStep's, in passes per
// second, on a 2-8-8-1 network with 500 points of the circle set: what the drawing costs a
// classroom that presses "Faster" to the end. Each is measured over a few seconds, several
// rounds, the best round of each counting; prints both and their ratio.
//   node bench/web_full_speed.js [PAGE]
const fs = require('node:fs');
const path = require('node:path');
const web = require('../tests/web/browser.js');

const rounds = 3;
const seconds = 4;
const stepPasses = 4000;
const pagePath = path.resolve(process.argv[2] || web.pagePath);
// Weights drawn at load; an error limit no run reaches.
const network = 'input_layer: 2\ncomp_layer: 8\ncomp_layer: 8\ncomp_layer: 1\nslope_parameter: 2\n' +
    'learning_rate: 0.2\nerror_limit: 0\nmax_iterations: 2000000000\n';

// Passes a second of window.ncStep from the network's starting weights.
function stepRate(page) {
    return page.evaluate((passes) => {
        document.getElementById('reset').click();
        const started = performance.now();
        const made = window.ncStep(passes).passes;
        return made / ((performance.now() - started) / 1000);
    }, stepPasses);
}

// Passes a second of the view training at its fastest step, counted in the page's own frames.
function viewRate(page) {
    return page.evaluate((duration) => new Promise((resolve) => {
        document.getElementById('reset').click();
        document.getElementById('start-pause').click();
        let first = null;
        function tick(now) {
            const passes = window.ncStatus().passes;
            if (first === null)
                first = {now, passes};
            if (now - first.now < duration * 1000) {
                requestAnimationFrame(tick);
                return;
            }
            document.getElementById('start-pause').click();
            resolve((passes - first.passes) / ((now - first.now) / 1000));
        }
        requestAnimationFrame(tick);
    }), seconds);
}

(async () => {
    const work = web.temporaryDirectory('nc-web-full-speed-');
    const browser = await web.startBrowser();
    try {
        const {page} = await web.openPage(browser.context, `file://${pagePath}#lab`);
        const file = path.join(work, 'network_2_8_8_1.txt');
        fs.writeFileSync(file, network);
        await page.setInputFiles('#network-file', file);
        await page.selectOption('#data-set', 'circle');
        await page.fill('#data-set-points', '500');
        await page.click('#data-set-use');
        await page.waitForFunction(() => document.getElementById('state-details').textContent
            .startsWith('network_2_8_8_1.txt + circle.csv'));
        for (let step = 0; step < 20; ++step)
            await page.click('#faster');
        let step = 0;
        let view = 0;
        for (let round = 0; round < rounds; ++round) {
            step = Math.max(step, await stepRate(page));
            view = Math.max(view, await viewRate(page));
        }
        console.log('2-8-8-1, circle of 500 points    ncStep passes/s    view passes/s (fastest step)   view/ncStep');
        console.log(`${''.padEnd(32)} ${step.toFixed(0).padStart(15)} ${view.toFixed(0).padStart(16)}` +
            `${(view / step).toFixed(2).padStart(28)}`);
    } finally {
        await browser.close();
        fs.rmSync(work, {recursive: true, force: true});
    }
})().catch((error) => {
    console.error(`web_full_speed: ${error.message}`);
    process.exit(1);
});
