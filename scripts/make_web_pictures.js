// The README's pictures of the browser edition, taken in headless Chromium: the lab view with
// exclusive-or converged, the creatures view with the follower under the light after 200 frames,
// and the creatures view after 10 generations evolved to follow, the last one's best driving.
//   node scripts/make_web_pictures.js [PAGE]   (PAGE: build-web/neural-creatures.html)
const path = require('node:path');
const web = require('../tests/web/browser.js');

const pagePath = path.resolve(process.argv[2] || path.join(web.root, 'build-web', 'neural-creatures.html'));
const images = path.join(web.root, 'docs', 'images');

(async () => {
    const browser = await web.startBrowser();
    try {
        const {page} = await web.openPage(browser.context, `file://${pagePath}`);
        await page.setViewportSize({width: 1366, height: 900});  // a laptop's screen: the three columns
        // Trained frame by frame, as a user trains it, so the curve has its points.
        await page.keyboard.press('+');
        await page.keyboard.press(' ');
        await page.waitForFunction(() => window.ncStatus().state === 'converged', null, {timeout: 120000});
        await page.waitForTimeout(200);
        await page.screenshot({path: path.join(images, 'web_lab.png')});
        await page.click('#tab-creatures');
        await page.evaluate(() => window.ncStep(0));
        await page.selectOption('#creature', 'follower.txt');
        await page.evaluate(() => window.ncStep(200));
        await page.waitForTimeout(200);
        await page.screenshot({path: path.join(images, 'web_creatures.png'), clip: {x: 0, y: 0, width: 1020, height: 640}});
        await page.fill('#evolve-generations', '10');
        await page.click('#evolve-start');
        await page.waitForFunction(() => {
            const {generation, running} = window.ncStatus().evolution;
            return generation === 10 && !running;
        }, null, {timeout: 120000});
        await page.evaluate(() => window.ncStep(200));
        await page.waitForTimeout(200);
        await page.locator('#creatures-view').screenshot({path: path.join(images, 'web_evolution.png')});
    } finally {
        await browser.close();
    }
})().catch((error) => {
    console.error(`make_web_pictures: ${error.message}`);
    process.exit(1);
});
