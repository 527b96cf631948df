// Frames a second of the browser edition in headless Chromium: the lab view training each
// example, and the creatures view running each gallery creature, a few seconds each. Counts the
// page's own animation frames and the longest gap between two; a frame whose work does not
// fit shows as fewer frames and a longer gap.
//   node bench/web_frame_rate.js [PAGE]
const path = require('node:path');
const web = require('../tests/web/browser.js');

const seconds = 3;
const pagePath = path.resolve(process.argv[2] || web.pagePath);

// Frames and the longest gap between two over `seconds`, counted in the page.
function countFrames(page) {
    return page.evaluate((duration) => new Promise((resolve) => {
        let frames = 0;
        let last = performance.now();
        let longest = 0;
        const end = last + duration * 1000;
        function tick(now) {
            longest = Math.max(longest, now - last);
            last = now;
            ++frames;
            if (now < end)
                requestAnimationFrame(tick);
            else
                resolve({rate: frames / duration, longest});
        }
        requestAnimationFrame(tick);
    }), seconds);
}

async function optionsOf(page, select) {
    return page.$$eval(`${select} option`, (options) => options.map((o) => ({value: o.value, text: o.textContent})));
}

function report(view, name, measured, status) {
    console.log(`${view.padEnd(10)} ${name.padEnd(44)} ${measured.rate.toFixed(1).padStart(8)}` +
        `${measured.longest.toFixed(0).padStart(12)}   ${status}`);
}

(async () => {
    const browser = await web.startBrowser();
    try {
        const {page} = await web.openPage(browser.context, `file://${pagePath}#lab`);
        console.log('view       network                                      frames/s  longest ms   state');
        for (const option of await optionsOf(page, '#example')) {
            await page.selectOption('#example', option.value);
            await page.click('#start-pause');
            const measured = await countFrames(page);
            const status = await page.evaluate(() => window.ncStatus());
            report('lab', option.text, measured, `${status.state}, ${status.passes} passes`);
            if (status.state === 'training')
                await page.click('#start-pause');
        }
        await page.evaluate(() => { location.hash = '#creatures'; });
        for (const option of await optionsOf(page, '#creature')) {
            await page.selectOption('#creature', option.value);
            const measured = await countFrames(page);
            const status = await page.evaluate(() => window.ncStatus());
            report('creatures', option.text, measured, `frame ${status.frame}`);
        }
    } finally {
        await browser.close();
    }
})().catch((error) => {
    console.error(`web_frame_rate: ${error.message}`);
    process.exit(1);
});
